#pragma once
#include "engine/engine_snapshot.h"

#include <cstdint>

namespace pulvan::engine {

// One sounding step of one track, ready for the voices.
struct ScheduledStep {
    double time;
    double length;  // quarter notes; 0.0 for a held (tie 1 or 2) step
    std::int64_t globalStep;
    std::int32_t track;
    std::uint8_t channel;
    std::uint8_t velocity;  // 1-127
    std::int32_t tie;       // 0-2
    std::uint8_t portamentoCC;
    std::uint8_t portamentoOnValue;
    std::uint8_t portamentoOffValue;
    double gateLength;                    // 0.9 x the step length
    std::int32_t noteCount;               // 1-17
    std::uint8_t notes[kMaxChordValues];  // distinct, in generation order
};

struct ScheduledCC {
    double time;
    std::int32_t track;
    std::uint8_t channel;
    std::uint8_t controller;
    std::uint8_t value;
};

// A muted step: the track's held notes end here.
struct MuteMarker {
    double time;
    std::int32_t track;
};

inline constexpr int kMaxScheduledSteps = 128;
inline constexpr int kMaxScheduledCCs = 256;
inline constexpr int kMaxMuteMarkers = 128;

// What one track produces over one render segment; each list is in time order.
struct StepScratch {
    std::int32_t stepCount;
    ScheduledStep steps[kMaxScheduledSteps];
    std::int32_t ccCount;
    ScheduledCC ccs[kMaxScheduledCCs];
    std::int32_t markerCount;
    MuteMarker markers[kMaxMuteMarkers];
    std::uint8_t overflow;  // something was dropped because a list was full

    void clear() noexcept {
        stepCount = 0;
        ccCount = 0;
        markerCount = 0;
        overflow = 0;
    }
};

// Reads every lane of the track at its own position for `globalStep` and appends at most
// one step, two control changes or one mute marker to `scratch`.
void generateStepNotes(const EngineSnapshot& snapshot, std::int32_t track, std::int64_t globalStep, StepScratch& scratch, double time,
                       double stepLength, double barLength) noexcept;

}  // namespace pulvan::engine
