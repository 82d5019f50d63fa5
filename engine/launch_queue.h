#pragma once
#include <cstdint>

#include "engine/engine_snapshot.h"
#include "engine/published_slots.h"

namespace pulvan::engine {

// A configuration waiting for its target beat. An invalid launch means "none" (and cancels).
struct PendingLaunch {
    EngineSnapshot snapshot;
    double targetBeat;           // quarter notes
    std::uint32_t notesOffMask;  // bit t = release track t at the target
    std::uint8_t valid;
};

using LaunchQueue = PublishedSlots<PendingLaunch, 4>;

// Marks a launch as none, without touching its (large) snapshot.
void invalidateLaunch(PendingLaunch& launch) noexcept;

// Publishes "no launch"; cheap enough for the audio thread (no snapshot copy).
void publishInvalidLaunch(LaunchQueue& queue) noexcept;
// Audio thread: takes the newest launch published since `lastSeen` into `pending`;
// `beforeReplacing`(launch) runs just before a valid launch overwrites it.
template <typename BeforeReplacing>
bool takeLaunch(LaunchQueue& queue, std::uint64_t& lastSeen, PendingLaunch& pending,
                BeforeReplacing&& beforeReplacing) noexcept {
    return queue.take(lastSeen, [&](const PendingLaunch& launch) {
        if (!launch.valid) return invalidateLaunch(pending);
        beforeReplacing(launch);
        pending = launch;
    });
}

// Tracks (below the track count) that have no GATE step on in their GATE length, or, with an
// empty pool, no FIX step in their NOTES length: their notes end when the launch takes over.
std::uint32_t tracksWithNothingToPlay(const EngineSnapshot& snapshot) noexcept;

}  // namespace pulvan::engine
