#pragma once
#include <atomic>
#include <cstdint>

namespace pulvan::engine {

// Lock-free hand-over of whole values from writers to one reader through N slots.
// A writer reserves a slot with a compare-and-exchange, so two writers (the editor and the
// audio thread) never fill the same one, and skips the published slot, the slot the reader
// announced and the slot the reader holds. The reader announces a slot and then checks that it
// is still the published one, so a copy in progress can never be overwritten; it may hold the
// slot it read to keep using the value in place after later takes. Nobody blocks: with N >= 3
// and at most N - 2 writers some slot is always free (two excluded, one per other writer
// reserved); a reader that holds excludes one more, so it needs N >= 4 and N - 3 writers.
template <typename T, int N>
struct PublishedSlots {
    static_assert(N >= 3, "a writer needs a free slot besides the published and the reading one");

    T slots[N];
    std::atomic<std::int32_t> publishedIndex{-1};
    std::atomic<std::int32_t> readingIndex{-1};
    std::atomic<std::int32_t> heldIndex{-1};
    std::atomic<std::uint32_t> writeCounter{0};
    std::atomic<std::uint64_t> generation{0};
    std::atomic<std::uint32_t> reservedMask{0};

    // `fill`(T&) writes the value into the chosen slot in place.
    template <typename Fill>
    void publish(Fill&& fill) noexcept {
        const std::uint32_t start = writeCounter.fetch_add(1, std::memory_order_relaxed);
        // Some slot is free at every instant, but the published, reading and reserved slots can
        // move while we look, so one pass over the slots may miss it: keep looking rather than
        // drop the value (the newest configuration must never be lost).
        int slot = -1;
        for (std::uint32_t attempt = 0; slot < 0; ++attempt) {
            const int candidate = static_cast<int>((start + attempt) % N);
            const std::uint32_t bit = 1u << candidate;
            if (reservedMask.fetch_or(bit, std::memory_order_seq_cst) & bit) continue;
            // Published first, then reading: nobody can publish a slot we hold, so a reader
            // whose recheck still finds this slot published announced it before we look at
            // `readingIndex`, and we see that announcement. Reading before held: the reader
            // holds a slot while it still reads it, before it announces another.
            const bool published = candidate == publishedIndex.load(std::memory_order_seq_cst);
            const bool reading = candidate == readingIndex.load(std::memory_order_seq_cst);
            if (published || reading || candidate == heldIndex.load(std::memory_order_seq_cst)) {
                reservedMask.fetch_and(~bit, std::memory_order_seq_cst);
                continue;
            }
            slot = candidate;
        }
        fill(slots[slot]);
        publishedIndex.store(slot, std::memory_order_seq_cst);
        generation.fetch_add(1, std::memory_order_release);
        reservedMask.fetch_and(~(1u << slot), std::memory_order_seq_cst);
    }

    void publishValue(const T& value) noexcept {
        publish([&value](T& slot) { slot = value; });
    }

    // Reader: when something newer than `lastSeen` was published, calls `consume`(const T&)
    // on the newest value and updates `lastSeen`. Returns whether it consumed.
    template <typename Consume>
    bool take(std::uint64_t& lastSeen, Consume&& consume) noexcept {
        const std::uint64_t seen = generation.load(std::memory_order_acquire);
        if (seen == lastSeen) return false;
        for (int attempt = 0; attempt < 4; ++attempt) {
            const std::int32_t index = publishedIndex.load(std::memory_order_seq_cst);
            if (index < 0 || index >= N) return false;
            readingIndex.store(index, std::memory_order_seq_cst);
            if (publishedIndex.load(std::memory_order_seq_cst) != index) continue;  // a newer one came
            consume(static_cast<const T&>(slots[index]));
            lastSeen = seen;
            return true;
        }
        return false;  // the writer kept publishing; the next block takes the newest
    }

    // The slot that `address` (of a value or of a part of one) lies in, or -1.
    std::int32_t slotOf(const void* address) const noexcept {
        const auto at = reinterpret_cast<std::uintptr_t>(address);
        const auto first = reinterpret_cast<std::uintptr_t>(slots);
        return at >= first && at < first + sizeof slots ? static_cast<std::int32_t>((at - first) / sizeof(T)) : -1;
    }

    // Reader: keeps the slot that `address` lies in, the one it read last, from writers until
    // it holds another or lets go; an address outside the slots lets go.
    void hold(const void* address) noexcept { heldIndex.store(slotOf(address), std::memory_order_seq_cst); }
};

}  // namespace pulvan::engine
