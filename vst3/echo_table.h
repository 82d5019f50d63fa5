#pragma once
// Remembers the events the plug-in sent in the last two seconds so that each
// one coming back at the input (a host or a cable looping the output) is
// dropped once instead of feeding back. Audio thread only; fixed size.
#include <array>
#include <cstdint>

namespace kez {

class EchoTable {
public:
    static constexpr std::uint32_t kCapacity = 1024;

    // How long a sent event suppresses its echo: two seconds of samples.
    static std::int64_t lifetimeSamples(double sampleRate);

    void record(std::uint32_t tag, std::int64_t expiresAtSample);

    // True, and the entry used up, when an unexpired entry carries this tag.
    bool consumeEcho(std::uint32_t tag, std::int64_t nowSample);

private:
    struct Entry {
        std::uint32_t tag = 0;
        std::int64_t expiresAtSample = -1;
        bool consumed = true;
    };
    std::array<Entry, kCapacity> entries_{};
    std::uint32_t writeCursor_ = 0;
};

}  // namespace kez
