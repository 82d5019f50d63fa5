#include "engine/step_timing.h"

#include <algorithm>
#include <cmath>

namespace pulvan::engine {
namespace {

bool isDottedOrTriplet(std::int32_t resolution) { return resolution >= 100 && resolution <= 299; }

// Swing reaches back at most this far: a swung step may start after its grid start.
constexpr double kMaxSwingDelay = 0.125;

// More grid steps than the scratch could ever hold; an absurd host tempo cannot make a window
// loop for long.
constexpr std::int64_t kMaxGridStepsPerWindow = 4 * kMaxScheduledSteps;

}  // namespace

double gridAnchorNear(double position, double barLength) noexcept {
    const double q = position / barLength;
    const double nearest = std::floor(q + 0.5) * barLength;
    return std::fabs(position - nearest) <= kJoinTolerance ? nearest : std::floor(q) * barLength;
}

double swingDelay(const EngineSnapshot& snapshot, std::int32_t resolution, std::int64_t k) noexcept {
    const std::int32_t division = divisionOf(resolution);
    if (isDottedOrTriplet(resolution) || snapshot.swingPercent < 51 || 32 % division != 0) return 0.0;
    // (32 / division) * k modulo 4, without the product (k may be a saturated index).
    const std::int64_t r = ((32 / division) % 4 * ((k % 4 + 4) % 4)) % 4;
    return r == 2 ? (std::clamp(snapshot.swingPercent, 50, 75) - 50) * 0.005 : 0.0;
}

void scheduleTrackSteps(const EngineSnapshot& snapshot, std::int32_t track, bool realigned, StepScratch& scratch, double anchor,
                        double from, double to, double barLength) noexcept {
    if (track < 0 || track >= kTrackCount || track >= snapshot.trackCount || to <= from) return;
    const std::int32_t resolution = snapshot.tracks[track].resolution;
    const double length = stepLength(resolution);
    const std::int64_t anchorStep = floorToIndex(anchor / length);

    if (realigned) {
        const std::int64_t k0 = floorToIndex(from / length);
        if (static_cast<double>(k0) * length + swingDelay(snapshot, resolution, k0) < from)
            generateStepNotes(snapshot, track, indexDifference(k0, anchorStep), scratch, from, length, barLength);
    }
    const std::int64_t first = floorToIndex((from - kMaxSwingDelay) / length);
    std::int64_t last = floorToIndex(to / length);
    if (indexDifference(last, first) > kMaxGridStepsPerWindow) {
        last = first + kMaxGridStepsPerWindow;
        scratch.overflow = 1;
    }
    for (std::int64_t k = first; k <= last; ++k) {
        const double t = static_cast<double>(k) * length + swingDelay(snapshot, resolution, k);
        if (from <= t && t < to) generateStepNotes(snapshot, track, indexDifference(k, anchorStep), scratch, t, length, barLength);
    }
}

}  // namespace pulvan::engine
