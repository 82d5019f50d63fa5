#pragma once
#include <atomic>
#include <cstdint>

namespace pulvan::engine {

// Single-producer, single-consumer ring of 256 three-byte MIDI messages. The indices count
// messages forever and wrap at 2^32; a message lives in slot index & 0xFF.
struct MIDIMessageRing {
    static constexpr std::uint32_t kCapacity = 256;

    std::uint8_t data[kCapacity][3] = {};
    std::atomic<std::uint32_t> writeIndex{0};
    std::atomic<std::uint32_t> readIndex{0};

    // False (message dropped) when 256 messages are waiting.
    bool push(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept;
    // False, outputs untouched, when empty.
    bool pop(std::uint8_t& status, std::uint8_t& data1, std::uint8_t& data2) noexcept;
};

}  // namespace pulvan::engine
