#pragma once
#include <cstdint>
#include <functional>

namespace pulvan::au {

// What a host tells an audio unit while it renders. Each output pointer may be null: the host
// fills only the ones it is given. The blocks answer false when they have nothing to say.
using MusicalContextBlock =
    std::function<bool(double* currentTempo, double* timeSignatureNumerator, std::int64_t* timeSignatureDenominator,
                       double* currentBeatPosition, std::int64_t* sampleOffsetToNextBeat, double* currentMeasureDownbeatPosition)>;

using TransportStateFlags = std::uint32_t;
constexpr TransportStateFlags kHostTransportStateChanged = 1;
constexpr TransportStateFlags kHostTransportStateMoving = 2;
constexpr TransportStateFlags kHostTransportStateRecording = 4;
constexpr TransportStateFlags kHostTransportStateCycling = 8;

using TransportStateBlock = std::function<bool(TransportStateFlags* flags, double* currentSamplePosition, double* cycleStartBeatPosition,
                                               double* cycleEndBeatPosition)>;

// Receives the unit's MIDI output; a result other than 0 is an error the unit does not act on.
using MIDIOutputEventBlock =
    std::function<int(std::int64_t eventSampleTime, std::uint8_t cable, std::int64_t length, const std::uint8_t* midiBytes)>;

}  // namespace pulvan::au
