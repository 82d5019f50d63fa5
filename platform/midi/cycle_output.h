#pragma once
#include "platform/midi/short_message_queue.h"
#include "platform/midi/sounding_notes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

namespace pulvan::midi {

// What an output port of a cycle-driven MIDI system (JACK) writes in each cycle. Messages wait
// for the cycle their time falls in and go out at their frame offset there; silence drops what
// waits and ends what sounds. A listener that misses a cycle never hears what was written in it,
// and a lost note-off would leave its note hanging; only the server knows who missed a cycle, and
// asking it for notices lets a paused process of ours hold up the server for every program. So
// every note-off is written once more some cycles later, unless its note is sounding at that moment.
// Used on the process thread only; nothing here allocates, locks or waits.
class CycleOutput {
public:
    static constexpr std::size_t kCapacity = 4096;
    // About 140 ms at 256 frames and 44.1 kHz: past the stall of a listener that lagged, which
    // while it lags reads only every second or third cycle.
    static constexpr std::size_t kRepeatAfterCycles = 24;

    struct Cycle {
        std::uint64_t startNs = 0;  // on the monotonic clock
        double framesPerNs = 0;
        std::uint32_t frames = 0;
    };

    // A message sent to the port, or (length 0) a request for silence.
    void take(const ShortMessage& message) noexcept {
        if (message.length == 0) {
            waitingCount_ = 0;
            silencePending_ = true;
            ++silencesTaken_;
            return;
        }
        if (waitingCount_ == waiting_.size()) return;  // full: dropped rather than wait
        // After every message due no later, so that equal times keep their order.
        auto* end = waiting_.data() + waitingCount_;
        auto* at = std::upper_bound(waiting_.data(), end, message.deliverAt,
                                    [](std::uint64_t time, const ShortMessage& m) { return time < m.deliverAt; });
        std::move_backward(at, end, end + 1);
        *at = message;
        ++waitingCount_;
    }

    // Silences taken so far; their releases are written in the next cycle.
    std::uint64_t silencesTaken() const noexcept { return silencesTaken_; }

    // Writes this cycle's messages; `write(bytes, offset)` answers whether one went out.
    template <typename Write>
    void writeCycle(const Cycle& cycle, Write&& write) noexcept {
        std::uint32_t lastOffset = 0;
        const auto emit = [&](std::span<const std::uint8_t> bytes, std::uint32_t offset) {
            offset = std::max(offset, lastOffset);  // in time order
            if (!write(bytes, offset)) return;
            lastOffset = offset;
            delivered(bytes);
        };
        // The slot of the cycle kRepeatAfterCycles ago becomes this cycle's; its copies are not copied again.
        NoteSet& endedThen = endedInCycle_[cycleIndex_ % kRepeatAfterCycles];
        const NoteSet again = endedThen.without(sounding_.notes());
        endedThen = NoteSet{};
        again.writeNoteOffs([&](std::span<const std::uint8_t> off) { write(off, 0); });
        if (silencePending_) {
            silencePending_ = false;
            SoundingNotes sounded = sounding_;
            sounded.releaseAll([&](std::span<const std::uint8_t> off) { emit(off, 0); });
        }
        std::size_t written = 0;
        for (; written < waitingCount_; ++written) {
            const ShortMessage& next = waiting_[written];
            std::uint32_t offset = 0;
            if (next.deliverAt > cycle.startNs) {
                const double frame = std::round(static_cast<double>(next.deliverAt - cycle.startNs) * cycle.framesPerNs);
                if (frame >= cycle.frames) break;
                offset = static_cast<std::uint32_t>(frame);
            }
            emit(std::span<const std::uint8_t>(next.bytes.data(), next.length), offset);
        }
        std::move(waiting_.begin() + static_cast<std::ptrdiff_t>(written), waiting_.begin() + static_cast<std::ptrdiff_t>(waitingCount_),
                  waiting_.begin());
        waitingCount_ -= written;
        ++cycleIndex_;
    }

private:
    void delivered(std::span<const std::uint8_t> bytes) noexcept {
        sounding_.deliver(bytes);
        const NoteChange change = NoteChange::of(bytes);
        if (change.kind == NoteChange::Kind::off) endedInCycle_[cycleIndex_ % kRepeatAfterCycles].add(change.channel, change.note);
    }

    std::array<ShortMessage, kCapacity> waiting_{};  // in time order
    std::size_t waitingCount_ = 0;
    SoundingNotes sounding_;
    std::array<NoteSet, kRepeatAfterCycles> endedInCycle_{};  // the note-offs written in each of the last cycles
    std::size_t cycleIndex_ = 0;
    bool silencePending_ = false;
    std::uint64_t silencesTaken_ = 0;
};

}  // namespace pulvan::midi
