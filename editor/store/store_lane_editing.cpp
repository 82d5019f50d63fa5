#include "editor/store/lane_reading.h"
#include "editor/store/sequencer_store.h"

#include <algorithm>

namespace pulvan::store {

using model::LaneKind;

int SequencerStore::activePageIndex() const {
    const model::Track* track = activeTrack();
    if (!track) return 0;
    const auto it = selections->find(track->id);
    return it == selections->end() ? 0 : it->second.page;
}

void SequencerStore::setActivePage(int page) {
    const model::Track* track = activeTrack();
    if (!track) return;
    selections.modify([&](std::map<foundation::Uuid, TrackSelection>& map) { map[track->id].page = page; });
}

const model::Lane& SequencerStore::activeLaneFor(LaneKind kind) const {
    static const model::Pattern withoutLanes;
    const model::Pattern* pattern = activePattern();
    return (pattern ? *pattern : withoutLanes).lane(kind);
}

void SequencerStore::toggleLastStepMode(LastStepMode mode) {
    lastStepMode.set(lastStepMode.get() == mode ? std::nullopt : std::optional<LastStepMode>(mode));
}

void SequencerStore::setLastStep(LaneKind kind, int column) {
    const auto step = stepOfColumn(column);
    if (!step) return;
    if (!activePattern()) {
        // Nothing to apply the pick to, but it still uses up the armed mode.
        lastStepMode.set(std::nullopt);
        return;
    }
    const int lastStep = *step + 1;
    const auto mode = lastStepMode.get();
    commitIfChanged("Last step", [&](model::Preset& copy) {
        for (auto& [laneKind, lane] : activePatternIn(copy).lanes) {
            const bool applies = mode == LastStepMode::all || laneKind == kind || (kind == LaneKind::notes && laneKind == LaneKind::fix);
            if (applies) lane.lastStep = lastStep;
        }
    });
    const bool mayFallSilent = kind == LaneKind::gate || kind == LaneKind::tie || mode == LastStepMode::all;
    if (mayFallSilent && !patternHasActiveSteps(clampedActiveTrackIndex(), activePatternIndex()))
        queueNoteRelease(clampedActiveTrackIndex());
    lastStepMode.set(std::nullopt);
}

void SequencerStore::setLaneStepValue(LaneKind kind, int column, int value) {
    const auto step = stepOfColumn(column);
    const model::Pattern* pattern = activePattern();
    if (!step || !pattern) return;
    const auto found = pattern->lanes.find(kind);
    if (found == pattern->lanes.end()) return;
    const auto s = static_cast<std::size_t>(*step);
    if (s >= found->second.steps.size() || found->second.steps[s] == value) return;
    modifyActivePattern([&](model::Pattern& p) {
        model::Lane& lane = p.lanes.at(kind);
        lane.steps[s] = value;
        if (kind == LaneKind::notes) lane.syncChordRoot(*step);
    });
    if ((kind == LaneKind::gate || kind == LaneKind::tie) && !patternHasActiveSteps(clampedActiveTrackIndex(), activePatternIndex())) {
        queueNoteRelease(clampedActiveTrackIndex());
    }
}

bool SequencerStore::isStepGatedOff(LaneKind kind, int column) const {
    const auto step = stepOfColumn(column);
    if (!step || kind == LaneKind::gate || kind == LaneKind::ccA || kind == LaneKind::ccB) return false;
    const model::Lane& lane = activeLaneFor(kind);
    const model::Lane& gate = activeLaneFor(LaneKind::gate);
    if (*step >= lane.lastStep || lane.lastStep != gate.lastStep) return false;
    const auto s = static_cast<std::size_t>(*step);
    return s < gate.steps.size() && gate.steps[s] == 0;
}

void SequencerStore::resetLane(LaneKind kind) {
    const model::Pattern* pattern = activePattern();
    if (!pattern) return;
    const auto found = pattern->lanes.find(kind);
    if (found == pattern->lanes.end()) return;
    const int fresh = model::defaultStepValue(kind);
    const model::Lane& lane = found->second;
    const bool stepsFresh = std::all_of(lane.steps.begin(), lane.steps.end(), [&](int v) { return v == fresh; });
    const bool hasChord = lane.noteStepChords && std::any_of(lane.noteStepChords->begin(), lane.noteStepChords->end(),
                                                             [](const model::Chord& c) { return c.size() >= 2; });
    if (stepsFresh && !hasChord) return;
    if (kind == LaneKind::notes) queueNoteRelease(clampedActiveTrackIndex());
    beginTransaction("Reset " + std::string(model::rawValue(kind)) + " lane");
    modifyActivePattern([&](model::Pattern& p) {
        model::Lane& target = p.lanes.at(kind);
        std::fill(target.steps.begin(), target.steps.end(), fresh);
        if (target.noteStepChords) target.noteStepChords.emplace(target.steps.size(), model::Chord{fresh});
    });
    endTransaction();
}

bool SequencerStore::notesStepContains(int column, int noteIndex) const {
    const auto step = stepOfColumn(column);
    const model::Pattern* pattern = activePattern();
    if (!step || !pattern || !pattern->lanes.contains(LaneKind::notes)) return false;
    const model::Chord chord = pattern->lanes.at(LaneKind::notes).chordNotes(*step);
    return std::find(chord.begin(), chord.end(), std::clamp(noteIndex, 0, 11)) != chord.end();
}

void SequencerStore::setNoteInStep(int column, int noteIndex, bool isOn, bool pushNow) {
    const auto step = stepOfColumn(column);
    const model::Pattern* pattern = activePattern();
    if (!step || !pattern || !pattern->lanes.contains(LaneKind::notes)) return;
    const model::Lane& lane = pattern->lanes.at(LaneKind::notes);
    const auto s = static_cast<std::size_t>(*step);
    if (s >= lane.steps.size()) return;
    const int note = std::clamp(noteIndex, 0, 11);
    model::Chord chord = lane.chordNotes(*step);
    const bool present = std::find(chord.begin(), chord.end(), note) != chord.end();
    if (!present) {
        if (!isOn) return;
        chord.push_back(note);
    } else {
        // The last note of a step cannot be removed.
        if (isOn || chord.size() < 2) return;
        std::erase(chord, note);
    }
    chord = normalizedStepChord(chord, lane.steps[s]);
    modifyActivePattern([&](model::Pattern& p) { p.lanes.at(LaneKind::notes).setChord(chord, *step); });
    if (pushNow) pushStepChordNow();
}

int SequencerStore::moveStepChordNote(int column, int from, int to, bool pushNow) {
    const auto step = stepOfColumn(column);
    const int f = std::clamp(from, 0, 11);
    const int t = std::clamp(to, 0, 11);
    const model::Pattern* pattern = activePattern();
    if (!step || !pattern || !pattern->lanes.contains(LaneKind::notes)) return t;
    const model::Lane& lane = pattern->lanes.at(LaneKind::notes);
    const auto s = static_cast<std::size_t>(*step);
    if (s >= lane.steps.size()) return t;
    if (f == t) return f;
    model::Chord chord = lane.chordNotes(*step);
    const auto holds = [&](int note) { return std::find(chord.begin(), chord.end(), note) != chord.end(); };
    if (!holds(f)) return holds(t) ? t : f;
    std::erase(chord, f);
    if (!holds(t)) chord.push_back(t);
    chord = normalizedStepChord(chord, lane.steps[s]);
    modifyActivePattern([&](model::Pattern& p) { p.lanes.at(LaneKind::notes).setChord(chord, *step); });
    if (pushNow) pushStepChordNow();
    return t;
}

void SequencerStore::pushStepChordNow() {
    queueNoteRelease(clampedActiveTrackIndex());
    refreshAppPlayConfiguration(false, {});
    // The enclosing gesture's close would push the same configuration again.
    if (txnDepth >= 1) skipNextAppPlayConfigurationRefresh = true;
}

bool SequencerStore::isPageInUse(int page) const {
    if (page >= pageCount) return false;
    return std::any_of(model::allLaneKinds.begin(), model::allLaneKinds.end(),
                       [&](LaneKind kind) { return stepsPerPage * page < activeLaneFor(kind).lastStep; });
}

std::optional<int> SequencerStore::playheadPageIndex() const {
    const model::Track* track = activeTrack();
    if (!track) return std::nullopt;
    const auto it = playhead.globalStepByTrackID->find(track->id);
    if (it == playhead.globalStepByTrackID->end() || it->second < 0) return std::nullopt;
    const int position = stepIndexInPattern(it->second, activeLaneFor(LaneKind::gate).lastStep);
    return std::min(position / stepsPerPage, pageCount - 1);
}

std::optional<int> SequencerStore::playheadStepInPage(LaneKind kind) const {
    const model::Track* track = activeTrack();
    if (!track) return std::nullopt;
    const auto it = playhead.globalStepByTrackID->find(track->id);
    if (it == playhead.globalStepByTrackID->end()) return std::nullopt;
    const int lastStep = activeLaneFor(kind).lastStep;
    const int position = stepIndexInPattern(it->second, lastStep);
    const int first = stepsPerPage * activePageIndex();
    if (position < first || position > first + stepsPerPage - 1 || position + 1 > lastStep) return std::nullopt;
    return position - first;
}

bool SequencerStore::patternHasActiveSteps(int track, int pattern) const {
    const model::Pattern* p = patternAt(track, pattern);
    const auto nonZero = [](int v) { return v != 0; };
    if (!p || !anyStepBeforeLast(p->lane(LaneKind::gate), nonZero)) return false;
    if (!preset->notesPool.empty()) return true;
    return anyStepBeforeLast(p->lane(LaneKind::fix), nonZero);
}

}  // namespace pulvan::store
