#include "engine/launch_queue.h"

#include <algorithm>

namespace pulvan::engine {
namespace {

bool anyOn(const std::int32_t* steps, std::int32_t length) {
    const std::int32_t n = std::clamp(length, 1, kStepsPerLane);
    return std::any_of(steps, steps + n, [](std::int32_t v) { return v != 0; });
}

}  // namespace

void invalidateLaunch(PendingLaunch& launch) noexcept {
    launch.targetBeat = 0.0;
    launch.notesOffMask = 0;
    launch.valid = 0;
}

void publishInvalidLaunch(LaunchQueue& queue) noexcept { queue.publish(invalidateLaunch); }

std::uint32_t tracksWithNothingToPlay(const EngineSnapshot& snapshot) noexcept {
    std::uint32_t mask = 0;
    const std::int32_t tracks = std::clamp(snapshot.trackCount, 0, kTrackCount);
    for (std::int32_t t = 0; t < tracks; ++t) {
        const TrackSnapshot& track = snapshot.tracks[t];
        const bool silent = !anyOn(track.gate, track.lastStep) || (snapshot.notePoolCount == 0 && !anyOn(track.fix, track.notesLastStep));
        if (silent) mask |= 1u << t;
    }
    return mask;
}

}  // namespace pulvan::engine
