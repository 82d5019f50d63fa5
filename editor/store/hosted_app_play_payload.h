#pragma once
#include <vector>

namespace pulvan::store {

// A whole configuration flattened for an engine: per-track arrays indexed by
// track, per-step arrays track-major with 64 steps a track, chord values 17 a
// step, output-chord intervals 16 a track. The field order is the argument
// order of the engine's configure and launch calls. Built by the engine link.
struct HostedAppPlayPayload {
    int trackCount = 0;
    std::vector<int> resolutions, channels, trackMutes, ccANumbers, ccBNumbers, portamentoCCs, portamentoOnValues, portamentoOffValues;
    std::vector<int> lastSteps, directions, tieLastSteps, notesLastSteps, octaveLastSteps, velocityLastSteps, lengthLastSteps,
        probabilityLastSteps, ccALastSteps, ccBLastSteps;
    std::vector<int> gateSteps, tieSteps, notesSteps, noteStepChordCounts, noteStepChordValues, octaveSteps, velocitySteps, lengthSteps,
        probabilitySteps, ccASteps, ccBSteps;
    std::vector<int> fillModes, fixSteps, trackOctaves, trackTransposes, outputChordCounts, outputChordIntervals, notePool;
    int swingPercent = 50;

    friend bool operator==(const HostedAppPlayPayload&, const HostedAppPlayPayload&) = default;
};

}  // namespace pulvan::store
