#include "editor/model/lane.h"

#include <algorithm>
#include <cstddef>

namespace pulvan::model {
namespace {

bool insideSteps(const Lane& lane, int i) { return i >= 0 && static_cast<std::size_t>(i) < lane.steps.size(); }

// How many leading steps an operation over `count` steps may touch.
std::size_t leadingSteps(const Lane& lane, int count) { return std::min(lane.steps.size(), static_cast<std::size_t>(std::max(count, 0))); }

}  // namespace

std::vector<Chord> Lane::normalizedChords() const {
    std::vector<Chord> chords;
    chords.reserve(steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const bool stored = noteStepChords && i < noteStepChords->size() && !(*noteStepChords)[i].empty();
        if (stored) {
            Chord chord = (*noteStepChords)[i];
            chord.front() = steps[i];
            chords.push_back(std::move(chord));
        } else {
            chords.push_back({steps[i]});
        }
    }
    return chords;
}

Chord Lane::chordNotes(int i) const {
    if (!insideSteps(*this, i)) return {};
    const auto index = static_cast<std::size_t>(i);
    if (noteStepChords && index < noteStepChords->size() && !(*noteStepChords)[index].empty()) {
        return (*noteStepChords)[index];
    }
    return {steps[index]};
}

void Lane::setChord(const Chord& notes, int i) {
    if (!insideSteps(*this, i)) return;
    if (notes.empty()) {
        syncChordRoot(i);
        return;
    }
    steps[static_cast<std::size_t>(i)] = notes.front();
    std::vector<Chord> chords = normalizedChords();
    chords[static_cast<std::size_t>(i)] = notes;
    noteStepChords = std::move(chords);
}

void Lane::syncChordRoot(int i) {
    if (!insideSteps(*this, i) || !noteStepChords) return;
    noteStepChords = normalizedChords();
}

void Lane::rotateChords(bool left, int count) {
    if (!noteStepChords) return;
    const std::size_t n = leadingSteps(*this, count);
    if (n < 2) return;
    std::vector<Chord> chords = normalizedChords();
    const auto first = chords.begin();
    const auto last = chords.begin() + static_cast<std::ptrdiff_t>(n);
    if (left) {
        std::rotate(first, first + 1, last);
    } else {
        std::rotate(first, last - 1, last);
    }
    for (std::size_t i = 0; i < chords.size(); ++i) chords[i].front() = steps[i];
    noteStepChords = std::move(chords);
}

void Lane::duplicateChords(int count) {
    if (!noteStepChords) return;
    const std::size_t n = leadingSteps(*this, count);
    if (n == 0) return;
    std::vector<Chord> chords = normalizedChords();
    for (std::size_t i = 0; i < n && n + i < steps.size(); ++i) chords[n + i] = chords[i];
    noteStepChords = std::move(chords);
}

Lane defaultLane(LaneKind kind) {
    Lane lane;
    lane.lastStep = kDefaultLastStep;
    lane.steps.assign(kMaxLaneSteps, defaultStepValue(kind));
    if (kind == LaneKind::notes) lane.noteStepChords = lane.normalizedChords();
    return lane;
}

void conformLaneShape(Lane& lane, LaneKind kind) {
    lane.lastStep = std::clamp(lane.lastStep, 1, kMaxLaneSteps);
    if (lane.steps.size() >= static_cast<std::size_t>(kMaxLaneSteps)) return;
    lane.steps.resize(kMaxLaneSteps, defaultStepValue(kind));
    if (lane.noteStepChords) lane.noteStepChords = lane.normalizedChords();
}

}  // namespace pulvan::model
