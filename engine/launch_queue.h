#pragma once
#include "engine/engine_snapshot.h"
#include "engine/published_slots.h"

#include <cstdint>

namespace pulvan::engine {

// A configuration waiting for its target beat. An invalid launch means "none" (and cancels).
struct PendingLaunch {
    EngineSnapshot snapshot;
    double targetBeat;           // quarter notes
    std::uint32_t notesOffMask;  // bit t = release track t at the target
    std::uint8_t valid;
};

// Two writers (the editor, and the audio thread publishing cancellations) and a reader that
// holds the slot of a launch it plays.
using LaunchQueue = PublishedSlots<PendingLaunch, 5>;

// Marks a launch as none, without touching its (large) snapshot.
void invalidateLaunch(PendingLaunch& launch) noexcept;

// Publishes "no launch"; cheap enough for the audio thread (no snapshot copy).
void publishInvalidLaunch(LaunchQueue& queue) noexcept;
// Audio thread: takes the newest launch published since `lastSeen` into `pending`. When
// `playInSlot`(launch) says so, only its target and mask are copied and the result is its
// snapshot in the queue's slot (valid until the next take); otherwise null.
template <typename PlayInSlot>
const EngineSnapshot* takeLaunch(LaunchQueue& queue, std::uint64_t& lastSeen, PendingLaunch& pending, PlayInSlot&& playInSlot) noexcept {
    const EngineSnapshot* inSlot = nullptr;
    queue.take(lastSeen, [&](const PendingLaunch& launch) {
        if (!launch.valid) return invalidateLaunch(pending);
        if (!playInSlot(launch)) {
            pending = launch;
            return;
        }
        pending.targetBeat = launch.targetBeat;
        pending.notesOffMask = launch.notesOffMask;
        pending.valid = 1;
        inSlot = &launch.snapshot;
    });
    return inSlot;
}

// Tracks (below the track count) that have no GATE step on in their GATE length, or, with an
// empty pool, no FIX step in their NOTES length: their notes end when the launch takes over.
std::uint32_t tracksWithNothingToPlay(const EngineSnapshot& snapshot) noexcept;

}  // namespace pulvan::engine
