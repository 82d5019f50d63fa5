#pragma once
#include "editor/model/lane.h"

#include <vector>

namespace pulvan::store {

// How many of a lane's first `count` steps exist: lanes read from outside may
// claim a last step beyond their stored steps.
int existingSteps(const model::Lane& lane, int count);

// Whether a step before the lane's last step satisfies the test.
template <typename Test>
bool anyStepBeforeLast(const model::Lane& lane, Test test) {
    const int n = existingSteps(lane, lane.lastStep);
    for (int i = 0; i < n; ++i) {
        if (test(lane.steps[static_cast<std::size_t>(i)])) return true;
    }
    return false;
}

// A chord of notes-pool indices: clamped to 0...11, without duplicates,
// ascending; an empty one becomes the fallback alone.
model::Chord normalizedStepChord(const model::Chord& notes, int fallback);

}  // namespace pulvan::store
