#include "editor/model/resolution.h"
#include "editor/store/lane_reading.h"
#include "editor/store/sequencer_store.h"

#include <algorithm>

namespace pulvan::store {

using model::LaneKind;

namespace {

// Every lane doubles by its own last step, so lanes of different lengths keep their relation.
void doubleLane(model::Lane& lane) {
    const int n = lane.lastStep;
    if (n < 1) return;
    const int size = static_cast<int>(lane.steps.size());
    for (int i = 0; i < n && i < size && n + i < std::min(size, model::kMaxLaneSteps); ++i) {
        lane.steps[static_cast<std::size_t>(n + i)] = lane.steps[static_cast<std::size_t>(i)];
    }
    lane.duplicateChords(n);
    lane.lastStep = std::min(2 * n, model::kMaxLaneSteps);
}

void halveLane(model::Lane& lane) {
    if (lane.lastStep >= 2) lane.lastStep /= 2;
}

void rotateLane(model::Lane& lane, bool left) {
    const int n = existingSteps(lane, lane.lastStep);
    if (n < 2) return;
    const auto first = lane.steps.begin();
    const auto last = first + n;
    if (left) {
        std::rotate(first, first + 1, last);
    } else {
        std::rotate(first, last - 1, last);
    }
    lane.rotateChords(left, n);
}

// Moves an index through the notes pool, 11 + 1 giving 0.
int wrappedPoolIndex(int value, int amount) {
    constexpr int modulus = 12;
    return ((value + amount) % modulus + modulus) % modulus;
}

}  // namespace

void SequencerStore::doublePatternLength() { transformEveryLane("Double length", doubleLane); }

void SequencerStore::halvePatternLength() { transformEveryLane("Halve length", halveLane); }

void SequencerStore::transformEveryLane(const std::string& label, const std::function<void(model::Lane&)>& change) {
    if (!activePattern()) return;
    queueNoteRelease(clampedActiveTrackIndex());
    beginTransaction(label);
    modifyActivePattern([&](model::Pattern& pattern) {
        for (auto& [kind, lane] : pattern.lanes) change(lane);
    });
    endTransaction();
}

void SequencerStore::shiftNotes(int amount) {
    const model::Pattern* pattern = activePattern();
    if (amount == 0 || !pattern || !pattern->lanes.contains(LaneKind::notes)) return;
    const model::Lane& notes = pattern->lanes.at(LaneKind::notes);
    const auto gate = pattern->lanes.find(LaneKind::gate);
    const int length = gate != pattern->lanes.end() ? gate->second.lastStep : notes.lastStep;
    const int count = existingSteps(notes, std::max(length, 1));
    if (count == 0) return;
    const bool poly = activeTrack()->poly;
    queueNoteRelease(clampedActiveTrackIndex());
    beginTransaction(amount > 0 ? "Shift notes up" : "Shift notes down");
    modifyActivePattern([&](model::Pattern& p) {
        model::Lane& lane = p.lanes.at(LaneKind::notes);
        for (int i = 0; i < count; ++i) {
            const auto s = static_cast<std::size_t>(i);
            if (!poly) {
                lane.steps[s] = wrappedPoolIndex(lane.steps[s], amount);
                lane.syncChordRoot(i);
                continue;
            }
            model::Chord chord = lane.chordNotes(i);
            for (int& note : chord) note = wrappedPoolIndex(note, amount);
            lane.setChord(normalizedStepChord(chord, wrappedPoolIndex(lane.steps[s], amount)), i);
        }
    });
    endTransaction();
}

void SequencerStore::rotatePattern(bool left) {
    transformEveryLane(left ? "Rotate left" : "Rotate right", [left](model::Lane& lane) { rotateLane(lane, left); });
}

void SequencerStore::setPatternDirection(model::PatternDirection direction) {
    const model::Pattern* pattern = activePattern();
    if (!pattern || pattern->direction == direction) return;
    beginTransaction("Pattern direction");
    modifyActivePattern([direction](model::Pattern& p) { p.direction = direction; });
    endTransaction();
}

void SequencerStore::setPatternResolution(int code) {
    const int resolution = model::normalizedResolution(code);
    const model::Pattern* pattern = activePattern();
    if (!pattern || pattern->resolution == resolution) return;
    beginTransaction("Resolution");
    modifyActivePattern([resolution](model::Pattern& p) { p.resolution = resolution; });
    endTransaction();
}

int SequencerStore::activePatternResolution() const {
    const model::Pattern* pattern = activePattern();
    return pattern ? pattern->resolution : model::kDefaultResolution;
}

}  // namespace pulvan::store
