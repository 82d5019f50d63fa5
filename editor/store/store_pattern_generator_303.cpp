#include "editor/store/sequencer_store.h"

#include <algorithm>
#include <cstdlib>

namespace pulvan::store {

using model::LaneKind;

namespace {

constexpr int baseNote = 60;
constexpr int rest = 0, note = 1, tie = 2;

int clampedTime(int value) { return std::clamp(value, rest, tie); }

// The step value, or the fallback beyond the stored steps.
int stepValue(const model::Lane& lane, int i, int fallback) {
    return i < static_cast<int>(lane.steps.size()) ? lane.steps[static_cast<std::size_t>(i)] : fallback;
}

// Writes a step only where the lane has one.
void writeStep(model::Lane& lane, int i, int value) {
    if (i < static_cast<int>(lane.steps.size())) lane.steps[static_cast<std::size_t>(i)] = value;
}

// The step's chord becomes its single note.
void clearChord(model::Lane& lane, int i) {
    if (!lane.noteStepChords || i >= static_cast<int>(lane.steps.size())) return;
    std::vector<model::Chord> chords = lane.normalizedChords();
    chords[static_cast<std::size_t>(i)] = {lane.steps[static_cast<std::size_t>(i)]};
    lane.noteStepChords = std::move(chords);
}

int holdFor(const PatternGenerator303PitchStep& current, int next) {
    if (next == note) return current.slide ? tie : rest;
    if (next == tie) return current.slide ? tie : note;
    return rest;
}

int sign(int value) { return (value > 0) - (value < 0); }

// An empty programme with the current mode and velocities.
PatternGenerator303State emptyKeepingSettings(const PatternGenerator303State& current) {
    PatternGenerator303State empty;
    empty.mode = current.mode;
    empty.noAccentVelocity = std::clamp(current.noAccentVelocity, 0, 127);
    empty.accentVelocity = std::clamp(current.accentVelocity, 0, 127);
    return empty;
}

// The cursor's step takes the octave, or goes back to 0 when it already has it.
void toggleCursorOctave(PatternGenerator303State& state, int stepLimit, int octave) {
    const int c = std::clamp(state.stepIndex, 0, stepLimit - 1);
    if (c >= static_cast<int>(state.pitch.size())) return;
    int& current = state.pitch[static_cast<std::size_t>(c)].octave;
    current = current == octave ? 0 : octave;
}

}  // namespace

int SequencerStore::patternGenerator303StepLimit() const {
    return std::clamp(activeLaneFor(LaneKind::gate).lastStep, 1, patternGenerator303StepCount);
}

int SequencerStore::clampedPatternGenerator303Cursor() const {
    return std::clamp(patternGenerator303->stepIndex, 0, patternGenerator303StepLimit() - 1);
}

void SequencerStore::writePatternGenerator303State(PatternGenerator303State state) {
    patternGenerator303.set(std::move(state));
    applyPatternGenerator303();
}

void SequencerStore::setPatternGenerator303Mode(PatternGenerator303Mode mode) {
    stopPatternGenerator303Audition();
    patternGenerator303.modify([mode](PatternGenerator303State& state) {
        state.mode = mode;
        state.stepIndex = 0;
    });
}

void SequencerStore::setPatternGenerator303Pitch(int key, bool advance) {
    const int c = clampedPatternGenerator303Cursor();
    PatternGenerator303State state = patternGenerator303.get();
    if (c >= static_cast<int>(state.pitch.size())) return;
    state.pitch[static_cast<std::size_t>(c)].pitch = baseNote + std::clamp(key, 0, 12);
    if (advance) state.stepIndex = std::min(patternGenerator303StepLimit() - 1, c + 1);
    writePatternGenerator303State(std::move(state));
}

void SequencerStore::setPatternGenerator303Time(int value, bool advance) {
    const int c = clampedPatternGenerator303Cursor();
    PatternGenerator303State state = patternGenerator303.get();
    if (c >= static_cast<int>(state.time.size())) return;
    state.time[static_cast<std::size_t>(c)] = clampedTime(value);
    if (advance) state.stepIndex = std::min(patternGenerator303StepLimit() - 1, c + 1);
    writePatternGenerator303State(std::move(state));
}

void SequencerStore::togglePatternGenerator303Accent() {
    updatePatternGenerator303State([c = clampedPatternGenerator303Cursor()](PatternGenerator303State& state) {
        if (c < static_cast<int>(state.pitch.size())) state.pitch[static_cast<std::size_t>(c)].accent ^= true;
    });
}

void SequencerStore::togglePatternGenerator303Slide() {
    updatePatternGenerator303State([c = clampedPatternGenerator303Cursor()](PatternGenerator303State& state) {
        if (c < static_cast<int>(state.pitch.size())) state.pitch[static_cast<std::size_t>(c)].slide ^= true;
    });
}

void SequencerStore::togglePatternGenerator303OctaveDown(PatternGenerator303State& state) const {
    toggleCursorOctave(state, patternGenerator303StepLimit(), -1);
}

void SequencerStore::togglePatternGenerator303OctaveUp(PatternGenerator303State& state) const {
    toggleCursorOctave(state, patternGenerator303StepLimit(), 1);
}

void SequencerStore::updatePatternGenerator303State(const std::function<void(PatternGenerator303State&)>& transform) {
    PatternGenerator303State state = patternGenerator303.get();
    transform(state);
    writePatternGenerator303State(std::move(state));
}

void SequencerStore::setPatternGenerator303NoAccentVelocity(int velocity) {
    const int value = std::clamp(velocity, 0, 127);
    if (value == patternGenerator303->noAccentVelocity) return;
    updatePatternGenerator303State([value](PatternGenerator303State& state) { state.noAccentVelocity = value; });
}

void SequencerStore::setPatternGenerator303AccentVelocity(int velocity) {
    const int value = std::clamp(velocity, 0, 127);
    if (value == patternGenerator303->accentVelocity) return;
    updatePatternGenerator303State([value](PatternGenerator303State& state) { state.accentVelocity = value; });
}

void SequencerStore::patternGenerator303StepBack() {
    const int index = std::clamp(patternGenerator303->stepIndex - 1, 0, patternGenerator303StepLimit() - 1);
    patternGenerator303.modify([index](PatternGenerator303State& state) { state.stepIndex = index; });
}

void SequencerStore::patternGenerator303StepForward() {
    const int index = std::clamp(patternGenerator303->stepIndex + 1, 0, patternGenerator303StepLimit() - 1);
    patternGenerator303.modify([index](PatternGenerator303State& state) { state.stepIndex = index; });
}

void SequencerStore::clearPatternGenerator303() { writePatternGenerator303State(emptyKeepingSettings(patternGenerator303.get())); }

void SequencerStore::stopPatternGenerator303Audition() {
    const auto playing = std::exchange(patternGenerator303AuditioningNote, std::nullopt);
    const auto channel = std::exchange(patternGenerator303AuditioningChannel, std::nullopt);
    if (playing && channel) sendNoteOff(*playing, *channel);
}

void SequencerStore::auditionPatternGenerator303Note(int pitch) {
    const model::Track* track = activeTrack();
    if (!track) return;
    const int channel = track->midiOutputChannel;
    stopPatternGenerator303Audition();
    patternGenerator303AuditioningNote = pitch;
    patternGenerator303AuditioningChannel = channel;
    sendNoteOn(pitch, 100, channel);
}

void SequencerStore::auditionPatternGenerator303Key(int key) {
    const bool moving = isTransportMoving();
    const int c = clampedPatternGenerator303Cursor();
    const auto& pitches = patternGenerator303->pitch;
    if (moving || c >= static_cast<int>(pitches.size())) return;
    const int octave = pitches[static_cast<std::size_t>(c)].octave;
    auditionPatternGenerator303Note(std::clamp(baseNote + std::clamp(key, 0, 12) + 12 * octave, 0, 127));
}

void SequencerStore::auditionPatternGenerator303Step() {
    if (patternGenerator303->mode != PatternGenerator303Mode::pitch) return;
    const bool moving = isTransportMoving();
    const int c = clampedPatternGenerator303Cursor();
    const auto& pitches = patternGenerator303->pitch;
    if (moving || c >= static_cast<int>(pitches.size()) || !pitches[static_cast<std::size_t>(c)].pitch) return;
    const auto& step = pitches[static_cast<std::size_t>(c)];
    auditionPatternGenerator303Note(std::clamp(*step.pitch + 12 * step.octave, 0, 127));
}

void SequencerStore::closePatternGenerator303() {
    if (activeModal_.get() != KezModal::patternGenerator303) return;
    stopPatternGenerator303Audition();
    setActiveModal(std::nullopt);
}

void SequencerStore::applyPatternGenerator303() {
    if (activeModal_.get() == KezModal::patternGenerator303) patternGenerator303UndoSessionHasChanges = true;
    if (!activePattern()) return;
    const int n = patternGenerator303StepLimit();
    const PatternGenerator303State state = patternGenerator303.get();
    modifyActivePattern([&](model::Pattern& pattern) {
        model::Lane& gate = pattern.lane(LaneKind::gate);
        model::Lane& hold = pattern.lane(LaneKind::tie);
        model::Lane& notes = pattern.lane(LaneKind::notes);
        model::Lane& fix = pattern.lane(LaneKind::fix);
        model::Lane& octaves = pattern.lane(LaneKind::octave);
        model::Lane& velocity = pattern.lane(LaneKind::velocity);
        const auto timeAt = [&](int i) {
            return i < static_cast<int>(state.time.size()) ? clampedTime(state.time[static_cast<std::size_t>(i)]) : rest;
        };
        PatternGenerator303PitchStep current;
        std::size_t k = 0;
        for (int i = 0; i < n; ++i) {
            const int t = timeAt(i);
            const int next = i + 1 < n ? timeAt(i + 1) : rest;
            if (t == note) {
                if (k < state.pitch.size()) {
                    current = state.pitch[k];
                } else if (!state.pitch.empty()) {
                    current = state.pitch.back();
                } else {
                    current = PatternGenerator303PitchStep{};
                }
                ++k;
            }
            int octave = std::clamp(current.octave, -3, 3);
            int degree = current.pitch.value_or(baseNote) - baseNote;
            if (degree < 0) degree = 0;
            if (degree >= 12) {
                degree = 0;
                octave = std::min(octave + 1, 3);
            }
            writeStep(notes, i, degree);
            clearChord(notes, i);
            writeStep(fix, i, 1);
            writeStep(octaves, i, octave);
            writeStep(velocity, i, current.accent ? state.accentVelocity : state.noAccentVelocity);
            writeStep(gate, i, t == note ? 1 : 0);
            writeStep(hold, i, t == note ? holdFor(current, next) : 0);
        }
    });
    const int track = clampedActiveTrackIndex();
    if (!patternHasActiveSteps(track, activePatternIndex())) queueNoteRelease(track);
    refreshAppPlayConfiguration(false, {});
}

void SequencerStore::loadPatternGenerator303FromTrack() {
    if (!activePattern()) return;
    const int n = patternGenerator303StepLimit();
    const model::Lane& gate = activeLaneFor(LaneKind::gate);
    const model::Lane& hold = activeLaneFor(LaneKind::tie);
    const model::Lane& notes = activeLaneFor(LaneKind::notes);
    const model::Lane& octaves = activeLaneFor(LaneKind::octave);
    const model::Lane& velocity = activeLaneFor(LaneKind::velocity);
    const PatternGenerator303State& current = patternGenerator303.get();
    PatternGenerator303State loaded = emptyKeepingSettings(current);
    std::size_t k = 0;
    bool tieOpen = false;
    for (int i = 0; i < n; ++i) {
        if (stepValue(gate, i, 0) == 0) {
            loaded.time[static_cast<std::size_t>(i)] = tieOpen ? tie : rest;
            continue;
        }
        loaded.time[static_cast<std::size_t>(i)] = note;
        const int held = clampedTime(stepValue(hold, i, 0));
        if (k < loaded.pitch.size()) {
            const int v = std::clamp(stepValue(velocity, i, 100), 0, 127);
            auto& step = loaded.pitch[k];
            step.pitch = baseNote + std::clamp(stepValue(notes, i, 0), 0, 11);
            step.octave = sign(stepValue(octaves, i, 0));
            step.accent = std::abs(v - current.noAccentVelocity) >= std::abs(v - current.accentVelocity);
            step.slide = held == tie;
        }
        ++k;
        tieOpen = held != rest;
    }
    patternGenerator303.set(std::move(loaded));
}

}  // namespace pulvan::store
