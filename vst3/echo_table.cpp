#include "vst3/echo_table.h"

#include <cmath>

namespace kez {
namespace {

std::uint32_t homeSlot(std::uint32_t tag, std::uint32_t slots) { return (tag * 0x9E3779B1u >> 16) & (slots - 1); }

}  // namespace

std::int64_t EchoTable::lifetimeSamples(double sampleRate) {
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) return 192000;
    return static_cast<std::int64_t>(sampleRate * 2.0);
}

std::uint32_t EchoTable::chainSlotOf(std::uint32_t tag) const {
    std::uint32_t slot = homeSlot(tag, kChainSlots);
    while (chains_[slot].tag != 0 && chains_[slot].tag != tag) slot = (slot + 1) & (kChainSlots - 1);
    return slot;
}

void EchoTable::freeChainSlot(std::uint32_t slot) {
    // Backward-shift deletion keeps every probe sequence unbroken without tombstones.
    std::uint32_t hole = slot;
    for (std::uint32_t next = (hole + 1) & (kChainSlots - 1); chains_[next].tag != 0; next = (next + 1) & (kChainSlots - 1)) {
        const std::uint32_t home = homeSlot(chains_[next].tag, kChainSlots);
        // The entry may move into the hole only if its home does not lie cyclically in (hole, next].
        const bool homeBetween = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
        if (homeBetween) continue;
        chains_[hole] = chains_[next];
        hole = next;
    }
    chains_[hole] = Chain{};
}

void EchoTable::dropOldest(std::uint32_t slot) {
    Chain& chain = chains_[slot];
    Entry& oldest = entries_[chain.oldest];
    oldest.live = false;
    chain.oldest = oldest.next;
    if (chain.oldest == kNone) freeChainSlot(slot);
}

void EchoTable::record(std::uint32_t tag, std::int64_t expiresAtSample) {
    if (tag == 0) return;  // marks a free chain slot; no echo tag is 0
    const auto index = static_cast<std::uint16_t>(writeCursor_ % kCapacity);
    ++writeCursor_;
    // The ring overwrites its oldest entry, which is also the oldest of its own chain.
    if (entries_[index].live) dropOldest(chainSlotOf(entries_[index].tag));
    entries_[index] = Entry{expiresAtSample, tag, kNone, true};
    const std::uint32_t slot = chainSlotOf(tag);
    Chain& chain = chains_[slot];
    if (chain.tag == 0) {
        chain = Chain{tag, index, index};
    } else {
        entries_[chain.newest].next = index;
        chain.newest = index;
    }
}

bool EchoTable::consumeEcho(std::uint32_t tag, std::int64_t nowSample) {
    if (tag == 0) return false;
    const std::uint32_t slot = chainSlotOf(tag);
    // Expired entries never come back (the sample counter only grows): each is dropped once.
    while (chains_[slot].tag == tag) {
        const bool unexpired = entries_[chains_[slot].oldest].expiresAtSample >= nowSample;
        dropOldest(slot);
        if (unexpired) return true;
    }
    return false;
}

}  // namespace kez
