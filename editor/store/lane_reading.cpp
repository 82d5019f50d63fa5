#include "editor/store/lane_reading.h"

#include "editor/model/note_lists.h"

#include <algorithm>

namespace pulvan::store {

int existingSteps(const model::Lane& lane, int count) { return std::min(std::max(count, 0), static_cast<int>(lane.steps.size())); }

model::Chord normalizedStepChord(const model::Chord& notes, int fallback) {
    model::Chord chord;
    for (int note : notes) chord.push_back(std::clamp(note, 0, 11));
    chord = model::sortedUniqueNotes(std::move(chord));
    if (chord.empty()) chord.push_back(std::clamp(fallback, 0, 11));
    return chord;
}

}  // namespace pulvan::store
