#include "engine/config_buffer.h"

#include <algorithm>

namespace pulvan::engine {
namespace layout = config_layout;

namespace {

std::int32_t clampWord(std::int32_t value, std::int32_t low, std::int32_t high) { return std::clamp(value, low, high); }

std::uint8_t clampByte(std::int32_t value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 127)); }

void decodeTrack(const std::int32_t* words, int t, TrackSnapshot& track) {
    auto perTrack = [&](int base) { return words[layout::trackWord(base, t)]; };
    auto laneLength = [&](int base) { return clampWord(perTrack(base), 1, kStepsPerLane); };

    track.resolution = std::max(1, perTrack(layout::kResolutions));
    track.channel = static_cast<std::uint8_t>(clampWord(perTrack(layout::kChannels), 1, 16) - 1);
    track.mute = perTrack(layout::kTrackMutes) != 0;
    track.ccANumber = clampByte(perTrack(layout::kCcANumbers));
    track.ccBNumber = clampByte(perTrack(layout::kCcBNumbers));
    track.portamentoCC = clampByte(perTrack(layout::kPortamentoCCs));
    track.portamentoOnValue = clampByte(perTrack(layout::kPortamentoOnValues));
    track.portamentoOffValue = clampByte(perTrack(layout::kPortamentoOffValues));
    track.lastStep = laneLength(layout::kLastSteps);
    track.tieLastStep = laneLength(layout::kTieLastSteps);
    track.notesLastStep = laneLength(layout::kNotesLastSteps);
    track.octaveLastStep = laneLength(layout::kOctaveLastSteps);
    track.velocityLastStep = laneLength(layout::kVelocityLastSteps);
    track.lengthLastStep = laneLength(layout::kLengthLastSteps);
    track.probabilityLastStep = laneLength(layout::kProbabilityLastSteps);
    track.ccALastStep = laneLength(layout::kCcALastSteps);
    track.ccBLastStep = laneLength(layout::kCcBLastSteps);
    const std::int32_t direction = perTrack(layout::kDirections);
    track.direction = (direction >= 0 && direction <= 5) ? direction : 0;
    const std::int32_t fillMode = perTrack(layout::kFillModes);
    track.fillMode = (fillMode >= 0 && fillMode <= 3) ? fillMode : 1;
    track.trackOctave = clampWord(perTrack(layout::kTrackOctaves), -3, 3);
    track.trackTranspose = clampWord(perTrack(layout::kTrackTransposes), -12, 12);
    track.outputChordCount = clampWord(perTrack(layout::kOutputChordCounts), 0, kMaxOutputChordIntervals);
    for (int k = 0; k < track.outputChordCount; ++k) track.outputChordIntervals[k] = words[layout::outputChordIntervalWord(t, k)];

    for (int s = 0; s < kStepsPerLane; ++s) {
        auto perStep = [&](int base) { return words[layout::stepWord(base, t, s)]; };
        track.gate[s] = perStep(layout::kGateSteps) != 0;
        track.tie[s] = clampWord(perStep(layout::kTieSteps), 0, 2);
        track.note[s] = perStep(layout::kNotesSteps);
        track.fix[s] = perStep(layout::kFixSteps) != 0;
        track.chordCount[s] = clampWord(perStep(layout::kNoteStepChordCounts), 1, kMaxChordValues);
        for (int k = 0; k < kMaxChordValues; ++k)
            track.chordNotes[s][k] = k < track.chordCount[s] ? words[layout::chordValueWord(t, s, k)] : track.note[s];
        track.octave[s] = clampWord(perStep(layout::kOctaveSteps), -3, 3);
        track.velocity[s] = clampWord(perStep(layout::kVelocitySteps), 0, 127);
        track.length[s] = clampWord(perStep(layout::kLengthSteps), 0, 100);
        track.probability[s] = clampWord(perStep(layout::kProbabilitySteps), 0, 6);
        track.ccA[s] = clampWord(perStep(layout::kCcASteps), 0, 128);
        track.ccB[s] = clampWord(perStep(layout::kCcBSteps), 0, 128);
    }
}

}  // namespace

bool isAcceptableConfigBuffer(const std::int32_t* words, std::int64_t count) noexcept {
    return words != nullptr && count >= kConfigBufferWordCount && words[layout::kMagicWord] == layout::kMagic;
}

void decodeConfigBuffer(const std::int32_t* words, EngineSnapshot& snapshot) noexcept {
    snapshot = defaultSnapshot();
    const std::int32_t trackCount = words[layout::kTrackCount];
    snapshot.trackCount = trackCount < 1 ? 1 : std::min(trackCount, kTrackCount);
    snapshot.swingPercent = clampWord(words[layout::kSwingPercent], 50, 75);
    snapshot.notePoolCount = clampWord(words[layout::kNotePoolCount], 0, kNotePoolCapacity);
    std::copy_n(words + layout::kNotePool, snapshot.notePoolCount, snapshot.notePool);
    for (int t = 0; t < snapshot.trackCount; ++t) decodeTrack(words, t, snapshot.tracks[t]);
}

}  // namespace pulvan::engine
