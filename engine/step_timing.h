#pragma once
#include "engine/engine_snapshot.h"
#include "engine/note_generation.h"

#include <algorithm>
#include <cstdint>

namespace pulvan::engine {

// Host beat positions drift by up to this between blocks: windows this close continue each other.
inline constexpr double kJoinTolerance = 0.001;

// Division of a rate code (kind * 100 + division); below 2 counts as 1.
inline std::int32_t divisionOf(std::int32_t resolution) noexcept {
    const std::int32_t division = resolution % 100;  // remainder of truncating division
    return division < 2 ? 1 : division;
}

// Step length in quarter notes of a rate code (kind * 100 + division): kind 1 is dotted,
// kind 2 triplet, anything else straight.
inline double stepLength(std::int32_t resolution) noexcept {
    const double base = 4.0 / divisionOf(resolution);
    if (resolution >= 100 && resolution <= 199) return base * 1.5;
    if (resolution >= 200 && resolution <= 299) return base * 2.0 / 3.0;
    return base;
}

// How late grid step k sounds under the snapshot's swing (only straight divisions of 32 swing).
double swingDelay(const EngineSnapshot& snapshot, std::int32_t resolution, std::int64_t k) noexcept;

// Generates every step of `track` whose (swung) start lies in [from, to), in grid order.
// `anchor` fixes global step 0; when `realigned`, a step already in progress at `from` is
// played at `from`.
void scheduleTrackSteps(const EngineSnapshot& snapshot, std::int32_t track, bool realigned, StepScratch& scratch, double anchor,
                        double from, double to, double barLength) noexcept;

// floor(value) as a step or bar number, saturated far inside the 64-bit range (also for values
// no host should send, where a plain conversion would be undefined).
inline constexpr std::int64_t kIndexLimit = std::int64_t{1} << 62;
inline std::int64_t floorToIndex(double value) noexcept {
    constexpr double kLimit = 4611686018427387904.0;  // 2^62
    if (!(value > -kLimit)) return -kIndexLimit;      // NaN too
    if (value >= kLimit) return kIndexLimit;
    const auto truncated = static_cast<std::int64_t>(value);  // exact: within 2^62, and whole above 2^53
    return static_cast<double>(truncated) > value ? truncated - 1 : truncated;
}

// a - b for step or bar numbers, saturated at ±kIndexLimit like floorToIndex.
inline std::int64_t indexDifference(std::int64_t a, std::int64_t b) noexcept {
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(a, b, &difference)) return a < b ? -kIndexLimit : kIndexLimit;
    return std::clamp(difference, -kIndexLimit, kIndexLimit);
}

// The bar line a restarted grid anchors to: the nearest one when `position` lies within the join
// tolerance of it, else the one before.
double gridAnchorNear(double position, double barLength) noexcept;

// Global step of the grid step in progress at `position` for the given anchor.
inline std::int64_t globalStepAt(double position, double anchor, double length) noexcept {
    return indexDifference(floorToIndex(position / length), floorToIndex(anchor / length));
}

}  // namespace pulvan::engine
