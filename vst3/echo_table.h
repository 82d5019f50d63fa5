#pragma once
// Remembers the events the plug-in sent in the last two seconds so that each
// one coming back at the input (a host or a cable looping the output) is
// dropped once instead of feeding back. Audio thread only; fixed size.
#include <array>
#include <cstdint>

namespace kez {

class EchoTable {
public:
    // The newest 1024 sent events are remembered; an older one is forgotten.
    static constexpr std::uint32_t kCapacity = 1024;

    // How long a sent event suppresses its echo: two seconds of samples.
    static std::int64_t lifetimeSamples(double sampleRate);

    // Tag 0 is never recorded (every echo tag carries its kind).
    void record(std::uint32_t tag, std::int64_t expiresAtSample);

    // True, and the oldest unexpired entry of this tag used up, when there is one.
    // Costs the same whatever the table holds: entries of one tag are chained
    // oldest first, and the chains are found through a small hash table.
    bool consumeEcho(std::uint32_t tag, std::int64_t nowSample);

private:
    static constexpr std::uint16_t kNone = 0xFFFF;
    static constexpr std::uint32_t kChainSlots = 2 * kCapacity;  // at most half full

    struct Entry {
        std::int64_t expiresAtSample = -1;
        std::uint32_t tag = 0;
        std::uint16_t next = kNone;  // next newer entry of the same tag
        bool live = false;           // recorded, not yet consumed, expired away or overwritten
    };
    struct Chain {
        std::uint32_t tag = 0;  // 0: free slot
        std::uint16_t oldest = kNone;
        std::uint16_t newest = kNone;
    };

    std::uint32_t chainSlotOf(std::uint32_t tag) const;  // its chain's slot, or the free slot to start it in
    void dropOldest(std::uint32_t slot);                 // removes the chain's oldest entry
    void freeChainSlot(std::uint32_t slot);

    std::array<Entry, kCapacity> entries_{};
    std::array<Chain, kChainSlots> chains_{};
    std::uint32_t writeCursor_ = 0;
};

}  // namespace kez
