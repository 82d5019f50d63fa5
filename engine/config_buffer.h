#pragma once
#include "engine/engine_snapshot.h"

#include <array>
#include <cstdint>

namespace pulvan::engine {

// Word offsets of the flat configuration buffer (struct of arrays; per-track arrays hold 6
// entries, per-step arrays 6 x 64 indexed track * 64 + step).
namespace config_layout {
inline constexpr std::int32_t kMagic = 0x4B455A31;  // "KEZ1"
inline constexpr int kMagicWord = 0;
inline constexpr int kTrackCount = 1;
inline constexpr int kSwingPercent = 2;
inline constexpr int kNotePoolCount = 3;
inline constexpr int kNotePool = 4;
inline constexpr int kResolutions = 132;
inline constexpr int kChannels = 138;
inline constexpr int kTrackMutes = 144;
inline constexpr int kCcANumbers = 150;
inline constexpr int kCcBNumbers = 156;
inline constexpr int kPortamentoCCs = 162;
inline constexpr int kPortamentoOnValues = 168;
inline constexpr int kPortamentoOffValues = 174;
inline constexpr int kLastSteps = 180;
inline constexpr int kDirections = 186;
inline constexpr int kTieLastSteps = 192;
inline constexpr int kNotesLastSteps = 198;
inline constexpr int kOctaveLastSteps = 204;
inline constexpr int kVelocityLastSteps = 210;
inline constexpr int kLengthLastSteps = 216;
inline constexpr int kProbabilityLastSteps = 222;
inline constexpr int kCcALastSteps = 228;
inline constexpr int kCcBLastSteps = 234;
inline constexpr int kFillModes = 240;
inline constexpr int kTrackOctaves = 246;
inline constexpr int kTrackTransposes = 252;
inline constexpr int kOutputChordCounts = 258;
inline constexpr int kOutputChordIntervals = 264;  // + track * 16 + k
inline constexpr int kGateSteps = 360;
inline constexpr int kTieSteps = 744;
inline constexpr int kNotesSteps = 1128;
inline constexpr int kFixSteps = 1512;
inline constexpr int kNoteStepChordCounts = 1896;
inline constexpr int kNoteStepChordValues = 2280;  // + (track * 64 + step) * 17 + k
inline constexpr int kOctaveSteps = 8808;
inline constexpr int kVelocitySteps = 9192;
inline constexpr int kLengthSteps = 9576;
inline constexpr int kProbabilitySteps = 9960;
inline constexpr int kCcASteps = 10344;
inline constexpr int kCcBSteps = 10728;
inline constexpr int kWordCount = 11112;

inline constexpr int trackWord(int base, int track) { return base + track; }
inline constexpr int stepWord(int base, int track, int step) { return base + track * kStepsPerLane + step; }
inline constexpr int chordValueWord(int track, int step, int k) {
    return kNoteStepChordValues + (track * kStepsPerLane + step) * kMaxChordValues + k;
}
inline constexpr int outputChordIntervalWord(int track, int k) { return kOutputChordIntervals + track * kMaxOutputChordIntervals + k; }
}  // namespace config_layout

inline constexpr int kConfigBufferWordCount = config_layout::kWordCount;
using EngineConfigBuffer = std::array<std::int32_t, kConfigBufferWordCount>;

// Non-null, at least 11112 words, and word 0 is the magic. Longer buffers are read up to 11112.
bool isAcceptableConfigBuffer(const std::int32_t* words, std::int64_t count) noexcept;

// Fills `snapshot` from an accepted buffer, starting from the default snapshot and clamping
// every value into its range; tracks at and past the track count keep their defaults.
void decodeConfigBuffer(const std::int32_t* words, EngineSnapshot& snapshot) noexcept;

}  // namespace pulvan::engine
