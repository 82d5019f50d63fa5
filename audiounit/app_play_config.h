#pragma once
#include "engine/engine_snapshot.h"

#include <cstdint>
#include <span>

namespace pulvan::au {

using engine::kMaxChordValues;
using engine::kMaxOutputChordIntervals;
using engine::kNotePoolCapacity;
using engine::kStepsPerLane;
using engine::kTrackCount;

inline constexpr int kTrackSteps = kTrackCount * kStepsPerLane;

// The numbers a configure or launch call hands over: a track count, 36 arrays (per track
// indexed by track; per step track-major, 64 a track; chord values 17 a step; output-chord
// intervals 16 a track) and the swing. Missing entries take the defaults.
struct AppPlayArguments {
    using Numbers = std::span<const std::int32_t>;
    std::int64_t trackCount = 1;
    Numbers resolutions, channels, trackMutes, ccANumbers, ccBNumbers, portamentoCCs, portamentoOnValues, portamentoOffValues, lastSteps,
        directions, tieLastSteps, notesLastSteps, octaveLastSteps, velocityLastSteps, lengthLastSteps, probabilityLastSteps, ccALastSteps,
        ccBLastSteps, gateSteps, tieSteps, notesSteps, noteStepChordCounts, noteStepChordValues, octaveSteps, velocitySteps, lengthSteps,
        probabilitySteps, ccASteps, ccBSteps, fillModes, fixSteps, trackOctaves, trackTransposes, outputChordCounts, outputChordIntervals,
        notePool;
    std::int64_t swingPercent = 50;
};

// One whole configuration for six tracks, as a structure of arrays; every value already clamped.
struct AppPlayConfig {
    std::int32_t trackCount;
    std::int32_t resolutions[kTrackCount];
    std::int32_t directions[kTrackCount];
    std::int32_t lastSteps[kTrackCount];
    std::int32_t tieLastSteps[kTrackCount];
    std::int32_t notesLastSteps[kTrackCount];
    std::int32_t octaveLastSteps[kTrackCount];
    std::int32_t velocityLastSteps[kTrackCount];
    std::int32_t lengthLastSteps[kTrackCount];
    std::int32_t probabilityLastSteps[kTrackCount];
    std::int32_t ccALastSteps[kTrackCount];
    std::int32_t ccBLastSteps[kTrackCount];
    std::uint8_t channels[kTrackCount];
    std::uint8_t mutes[kTrackCount];
    std::uint8_t ccANumbers[kTrackCount];
    std::uint8_t ccBNumbers[kTrackCount];
    std::uint8_t portamentoCCs[kTrackCount];
    std::uint8_t portamentoOnValues[kTrackCount];
    std::uint8_t portamentoOffValues[kTrackCount];
    std::int32_t fillModes[kTrackCount];
    std::int32_t fixSteps[kTrackSteps];
    std::int32_t trackOctaves[kTrackCount];
    std::int32_t trackTransposes[kTrackCount];
    std::int32_t outputChordCounts[kTrackCount];
    std::int32_t outputChordIntervals[kTrackCount * kMaxOutputChordIntervals];
    std::int32_t gateSteps[kTrackSteps];
    std::int32_t tieSteps[kTrackSteps];
    std::int32_t notesSteps[kTrackSteps];
    std::int32_t noteStepChordCounts[kTrackSteps];
    std::int32_t noteStepChordValues[kTrackSteps * kMaxChordValues];
    std::int32_t octaveSteps[kTrackSteps];
    std::int32_t velocitySteps[kTrackSteps];
    std::int32_t lengthSteps[kTrackSteps];
    std::int32_t probabilitySteps[kTrackSteps];
    std::int32_t ccASteps[kTrackSteps];
    std::int32_t ccBSteps[kTrackSteps];
    std::int32_t notePool[kNotePoolCapacity];
    std::int32_t notePoolCount;
    std::int32_t swingPercent;
};

// A configuration that takes over at a beat. All zero: no launch.
struct AppPlayLaunch {
    AppPlayConfig config;
    double targetBeat;           // quarter notes
    std::uint32_t notesOffMask;  // bit t = silence track t when the launch takes over
    std::uint32_t valid;
};

// Marks a launch as none without touching its (large) configuration.
inline void clearAppPlayLaunch(AppPlayLaunch& launch) noexcept {
    launch.valid = 0;
    launch.targetBeat = 0.0;
    launch.notesOffMask = 0;
}

// Builds `config` from scratch: defaults for everything the arguments leave out, clamps for
// everything they give.
void buildAppPlayConfig(const AppPlayArguments& arguments, AppPlayConfig& config) noexcept;

// The configuration a new unit plays: the defaults with one track.
void setDefaultAppPlayConfig(AppPlayConfig& config) noexcept;

// The engine's form of a configuration.
void convertAppPlayConfig(const AppPlayConfig& config, engine::EngineSnapshot& snapshot) noexcept;

}  // namespace pulvan::au
