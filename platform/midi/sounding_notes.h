#pragma once
#include <array>
#include <cstdint>
#include <span>

namespace pulvan::midi {

// Which notes the messages delivered so far left sounding, per channel. Plain
// bits and no allocation, so that a real-time thread may keep it.
class SoundingNotes {
public:
    void deliver(std::span<const std::uint8_t> bytes) noexcept {
        if (bytes.size() < 3) return;
        const int kind = bytes[0] & 0xF0;
        const int channel = bytes[0] & 0x0F;
        const int note = bytes[1] & 0x7F;
        const std::uint64_t bit = std::uint64_t{1} << (note & 63);
        std::uint64_t& word = words_[channel * 2 + note / 64];
        if (kind == 0x90 && bytes[2] != 0) word |= bit;
        if (kind == 0x80 || (kind == 0x90 && bytes[2] == 0)) word &= ~bit;
    }

    // Calls `write` with a note-off for every sounding note and forgets them.
    template <typename Write>
    void releaseAll(Write&& write) noexcept {
        for (int index = 0; index < 32; ++index) {
            for (int bit = 0; bit < 64; ++bit) {
                if (!(words_[index] >> bit & 1)) continue;
                const std::uint8_t off[3] = {static_cast<std::uint8_t>(0x80 | index / 2), static_cast<std::uint8_t>(index % 2 * 64 + bit), 0};
                write(std::span<const std::uint8_t>(off, 3));
            }
            words_[index] = 0;
        }
    }

private:
    std::array<std::uint64_t, 32> words_{};
};

}  // namespace pulvan::midi
