#pragma once
#include "platform/midi/midi_types.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace pulvan::midi {

struct ShortMessage {
    Timestamp deliverAt = kSendNow;
    std::uint8_t length = 0;
    std::array<std::uint8_t, 3> bytes{};
};

// A bounded queue of short messages for many producers and one consumer.
// Pushing never allocates, locks or waits (a full queue refuses the message),
// so audio threads may push. Each cell carries a sequence number that tells
// producers and the consumer whose turn it is.
template <std::size_t Capacity>
class ShortMessageQueue {
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

public:
    ShortMessageQueue() {
        for (std::size_t i = 0; i < Capacity; ++i) cells_[i].sequence.store(i, std::memory_order_relaxed);
    }

    bool tryPush(const ShortMessage& message) noexcept {
        std::size_t position = enqueuePosition_.load(std::memory_order_relaxed);
        for (;;) {
            Cell& cell = cells_[position & (Capacity - 1)];
            const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
            const auto difference = static_cast<std::ptrdiff_t>(sequence) - static_cast<std::ptrdiff_t>(position);
            if (difference == 0) {
                if (enqueuePosition_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
                    cell.message = message;
                    cell.sequence.store(position + 1, std::memory_order_release);
                    return true;
                }
            } else if (difference < 0) {
                return false;  // full
            } else {
                position = enqueuePosition_.load(std::memory_order_relaxed);
            }
        }
    }

    // Only one thread pops.
    bool tryPop(ShortMessage& message) noexcept {
        Cell& cell = cells_[dequeuePosition_ & (Capacity - 1)];
        const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
        if (sequence != dequeuePosition_ + 1) return false;
        message = cell.message;
        cell.sequence.store(dequeuePosition_ + Capacity, std::memory_order_release);
        ++dequeuePosition_;
        return true;
    }

private:
    struct Cell {
        std::atomic<std::size_t> sequence;
        ShortMessage message;
    };

    std::array<Cell, Capacity> cells_;
    alignas(64) std::atomic<std::size_t> enqueuePosition_{0};
    alignas(64) std::size_t dequeuePosition_ = 0;
};

}  // namespace pulvan::midi
