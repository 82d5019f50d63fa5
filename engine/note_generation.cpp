#include "engine/note_generation.h"

#include "engine/lane_position.h"
#include "engine/step_timing.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace pulvan::engine {
namespace {

struct LanePositions {
    std::int32_t gate, tie, notes, octave, velocity, length, probability, ccA, ccB;
};

// Lanes of one length stand at one position: each length is worked out once (a smart random
// position shuffles a whole cycle).
LanePositions lanePositions(const TrackSnapshot& t, std::int32_t track, std::int64_t globalStep) {
    const std::int32_t direction = (t.direction >= 0 && t.direction <= 5) ? t.direction : 0;
    const std::int32_t lengths[] = {t.lastStep,       t.tieLastStep,         t.notesLastStep, t.octaveLastStep, t.velocityLastStep,
                                    t.lengthLastStep, t.probabilityLastStep, t.ccALastStep,   t.ccBLastStep};
    std::int32_t at[std::size(lengths)];
    for (std::size_t i = 0; i < std::size(lengths); ++i) {
        std::size_t same = 0;
        while (lengths[same] != lengths[i]) ++same;
        at[i] = same < i ? at[same] : lanePosition(globalStep, lengths[i], direction, track);
    }
    return {at[0], at[1], at[2], at[3], at[4], at[5], at[6], at[7], at[8]};
}

void scheduleCC(StepScratch& scratch, double time, std::int32_t track, const TrackSnapshot& t, std::int32_t value,
                std::uint8_t controller) {
    if (value < 1) return;
    if (scratch.ccCount >= kMaxScheduledCCs) {
        scratch.overflow = 1;
        return;
    }
    scratch.ccs[scratch.ccCount++] = {time, track, t.channel, controller, static_cast<std::uint8_t>(std::min(value, 128) - 1)};
}

// Bar conditions: (modulus, remainder) of the bar number for values 1-6.
constexpr std::int64_t kBarModulus[7] = {1, 2, 2, 4, 4, 4, 4};
constexpr std::int64_t kBarRemainder[7] = {0, 0, 1, 0, 1, 2, 3};

bool barConditionHolds(std::int32_t condition, std::int64_t globalStep, double stepLength, double barLength) {
    const std::int32_t p = std::clamp(condition, 0, 6);
    if (p == 0) return true;
    const double bar = barLength > 0.0 ? barLength : 4.0;
    const std::int64_t barNumber = floorToIndex(stepLength * static_cast<double>(globalStep) / bar + 1e-9);
    const std::int64_t m = kBarModulus[p];
    return ((barNumber % m) + m) % m == kBarRemainder[p];
}

void addDistinct(ScheduledStep& step, std::int64_t note) {
    if (step.noteCount >= kMaxChordValues) return;
    const auto value = static_cast<std::uint8_t>(std::clamp<std::int64_t>(note, 0, 127));
    for (int i = 0; i < step.noteCount; ++i)
        if (step.notes[i] == value) return;
    step.notes[step.noteCount++] = value;
}

// Pitch of one NOTES value before the octave lane, or false when the value plays nothing.
// 64-bit throughout: pool notes and chord values are not range-checked by the decoder.
bool baseNote(const EngineSnapshot& s, const TrackSnapshot& t, bool fixed, std::int64_t v, std::int64_t& note) {
    if (fixed) {
        note = v + 60;
        return note >= 0 && note <= 127;
    }
    const std::int64_t c = s.notePoolCount;
    if (c < 1) return false;
    const std::int64_t i = ((v % c) + c) % c;
    note = s.notePool[i];
    if (v >= 0 && v < c) return true;
    const std::int64_t wraps = v >= 0 ? v / c : 0;  // a negative value wraps without an octave shift
    switch (t.fillMode) {
        case 0: return false;
        case 2: note += 12 * wraps; return true;
        case 3: note -= 12 * wraps; return true;
        default: return true;
    }
}

}  // namespace

void generateStepNotes(const EngineSnapshot& snapshot, std::int32_t track, std::int64_t globalStep, StepScratch& scratch, double time,
                       double stepLength, double barLength) noexcept {
    if (track < 0 || track >= kTrackCount) return;
    const TrackSnapshot& t = snapshot.tracks[track];
    const LanePositions pos = lanePositions(t, track, globalStep);

    if (t.mute) {
        if (scratch.markerCount >= kMaxMuteMarkers) scratch.overflow = 1;
        else scratch.markers[scratch.markerCount++] = {time, track};
        return;
    }
    scheduleCC(scratch, time, track, t, t.ccA[pos.ccA], t.ccANumber);
    scheduleCC(scratch, time, track, t, t.ccB[pos.ccB], t.ccBNumber);

    if (t.gate[pos.gate] == 0) return;
    if (!barConditionHolds(t.probability[pos.probability], globalStep, stepLength, barLength)) return;
    const std::int32_t velocity = t.velocity[pos.velocity];
    const std::int32_t lengthPercent = std::clamp(t.length[pos.length], 0, 100);
    if (velocity < 1 || lengthPercent < 1) return;

    ScheduledStep step{};
    step.time = time;
    step.globalStep = globalStep;
    step.track = track;
    step.channel = t.channel;
    step.velocity = static_cast<std::uint8_t>(std::min(velocity, 127));
    const std::int32_t rawTie = t.tie[pos.tie];
    step.tie = std::clamp(rawTie, 0, 2);
    step.portamentoCC = t.portamentoCC;
    step.portamentoOnValue = t.portamentoOnValue;
    step.portamentoOffValue = t.portamentoOffValue;
    step.gateLength = 0.9 * stepLength;

    const std::int32_t s = pos.notes;
    const std::int64_t octaveShift = 12 * static_cast<std::int64_t>(t.octave[pos.octave]);
    const bool fixed = t.fix[s] != 0;
    const std::int32_t chordCount = std::clamp(t.chordCount[s], 0, kMaxChordValues);
    const std::int32_t intervalCount = std::clamp(t.outputChordCount, 0, kMaxOutputChordIntervals);
    for (int k = 0; k < chordCount; ++k) {
        std::int64_t n = 0;
        if (!baseNote(snapshot, t, fixed, t.chordNotes[s][k], n)) continue;
        n += octaveShift;
        if (n < 0 || n > 127) continue;
        const std::int64_t m = n + 12 * static_cast<std::int64_t>(t.trackOctave) + t.trackTranspose;
        addDistinct(step, m);
        for (int i = 0; i < intervalCount; ++i) addDistinct(step, m + t.outputChordIntervals[i]);
    }
    if (step.noteCount == 0) return;
    step.length = rawTie < 1 ? stepLength * 0.01 * lengthPercent : 0.0;

    if (scratch.stepCount >= kMaxScheduledSteps) scratch.overflow = 1;
    else scratch.steps[scratch.stepCount++] = step;
}

}  // namespace pulvan::engine
