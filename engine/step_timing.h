#pragma once
#include <cstdint>

#include "engine/engine_snapshot.h"
#include "engine/note_generation.h"

namespace pulvan::engine {

// Host beat positions drift by up to this between blocks: windows this close continue each other.
inline constexpr double kJoinTolerance = 0.001;

// Step length in quarter notes of a rate code (kind * 100 + division): kind 1 is dotted,
// kind 2 triplet, anything else straight.
double stepLength(std::int32_t resolution) noexcept;

// How late grid step k sounds under the snapshot's swing (only straight divisions of 32 swing).
double swingDelay(const EngineSnapshot& snapshot, std::int32_t resolution, std::int64_t k) noexcept;

// Generates every step of `track` whose (swung) start lies in [from, to), in grid order.
// `anchor` fixes global step 0; when `realigned`, a step already in progress at `from` is
// played at `from`.
void scheduleTrackSteps(const EngineSnapshot& snapshot, std::int32_t track, bool realigned, StepScratch& scratch,
                        double anchor, double from, double to, double barLength) noexcept;

// floor(value) as a step or bar number, saturated far inside the 64-bit range (also for values
// no host should send, where a plain conversion would be undefined).
inline constexpr std::int64_t kIndexLimit = std::int64_t{1} << 62;
std::int64_t floorToIndex(double value) noexcept;

// a - b for step or bar numbers, saturated at ±kIndexLimit like floorToIndex.
std::int64_t indexDifference(std::int64_t a, std::int64_t b) noexcept;

// The bar line a restarted grid anchors to: the nearest one when `position` lies within the join
// tolerance of it, else the one before.
double gridAnchorNear(double position, double barLength) noexcept;

// Global step of the grid step in progress at `position` for the given anchor.
std::int64_t globalStepAt(double position, double anchor, double stepLength) noexcept;

}  // namespace pulvan::engine
