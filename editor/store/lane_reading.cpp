#include "editor/store/lane_reading.h"

#include <algorithm>

namespace pulvan::store {

int existingSteps(const model::Lane& lane, int count) { return std::min(std::max(count, 0), static_cast<int>(lane.steps.size())); }

model::Chord normalizedStepChord(const model::Chord& notes, int fallback) {
    model::Chord chord;
    for (int note : notes) chord.push_back(std::clamp(note, 0, 11));
    std::sort(chord.begin(), chord.end());
    chord.erase(std::unique(chord.begin(), chord.end()), chord.end());
    if (chord.empty()) chord.push_back(std::clamp(fallback, 0, 11));
    return chord;
}

}  // namespace pulvan::store
