#pragma once
#include <cstdint>

namespace pulvan::engine {

inline constexpr int kTrackCount = 6;
inline constexpr int kStepsPerLane = 64;
inline constexpr int kMaxChordValues = 17;
inline constexpr int kNotePoolCapacity = 128;
inline constexpr int kMaxOutputChordIntervals = 16;
inline constexpr std::uint32_t kAllTracksMask = (1u << kTrackCount) - 1u;

// One track of a decoded configuration; every value already lies in its range.
struct TrackSnapshot {
    std::int32_t resolution;  // rate code: kind * 100 + division, at least 1
    std::int32_t direction;   // 0-5
    std::int32_t lastStep;    // GATE lane, 1-64
    std::int32_t tieLastStep;
    std::int32_t notesLastStep;  // NOTES and FIX lanes
    std::int32_t octaveLastStep;
    std::int32_t velocityLastStep;
    std::int32_t lengthLastStep;
    std::int32_t probabilityLastStep;
    std::int32_t ccALastStep;
    std::int32_t ccBLastStep;
    std::uint8_t channel;  // 0-15
    std::uint8_t mute;
    std::uint8_t ccANumber;
    std::uint8_t ccBNumber;
    std::uint8_t portamentoCC;  // 0 = none
    std::uint8_t portamentoOnValue;
    std::uint8_t portamentoOffValue;
    std::int32_t fillMode;          // 0 empty, 1 circular, 2 circular octave up, 3 circular octave down
    std::int32_t trackOctave;       // -3..3
    std::int32_t trackTranspose;    // -12..12
    std::int32_t outputChordCount;  // 0-16
    std::int32_t outputChordIntervals[kMaxOutputChordIntervals];
    std::int32_t gate[kStepsPerLane];
    std::int32_t tie[kStepsPerLane];  // 0 off, 1 hold, 2 legato
    std::int32_t note[kStepsPerLane];
    std::int32_t chordCount[kStepsPerLane];  // 1-17 once decoded
    std::int32_t chordNotes[kStepsPerLane][kMaxChordValues];
    std::int32_t fix[kStepsPerLane];
    std::int32_t octave[kStepsPerLane];
    std::int32_t velocity[kStepsPerLane];
    std::int32_t length[kStepsPerLane];       // percent of a step
    std::int32_t probability[kStepsPerLane];  // bar condition 0-6
    std::int32_t ccA[kStepsPerLane];          // 0 = none, v = send v - 1
    std::int32_t ccB[kStepsPerLane];
};

// A whole playing configuration: fixed size, no pointers, moved with byte copies.
struct EngineSnapshot {
    std::int32_t trackCount;  // 1-6
    TrackSnapshot tracks[kTrackCount];
    std::int32_t notePool[kNotePoolCapacity];
    std::int32_t notePoolCount;  // 0-128
    std::int32_t swingPercent;   // 50-75
};

// Every decode starts from this: one track, rate 16, 16-step lanes, nothing on, empty pool.
const EngineSnapshot& defaultSnapshot() noexcept;

// The configuration a new engine plays until the editor pushes its own.
const EngineSnapshot& demoSnapshot() noexcept;

}  // namespace pulvan::engine
