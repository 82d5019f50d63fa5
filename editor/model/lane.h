#pragma once
#include "editor/model/lane_kind.h"

#include <optional>
#include <vector>

namespace pulvan::model {

inline constexpr int kMaxLaneSteps = 64;
inline constexpr int kDefaultLastStep = 16;

using Chord = std::vector<int>;

// One lane of a pattern. Each lane cycles on its own last step (1...64).
struct Lane {
    int lastStep = kDefaultLastStep;
    std::vector<int> steps;
    // NOTES lane only: one chord per step whose first entry is the step value; a one-entry
    // chord is a plain step.
    std::optional<std::vector<Chord>> noteStepChords;

    // One chord per step: the stored chord with its first note replaced by the step value,
    // or just the step value where none (or an empty one) is stored.
    std::vector<Chord> normalizedChords() const;
    // The notes of step i; an index outside the steps gives nothing.
    Chord chordNotes(int i) const;
    void setChord(const Chord& notes, int i);
    // Re-aligns chord i with steps[i] after the step value changed.
    void syncChordRoot(int i);
    // Rotates the chords of the first count steps by one place, after the steps were rotated.
    void rotateChords(bool left, int count);
    // Copies the chords of the first count steps onto the next count steps.
    void duplicateChords(int count);

    friend bool operator==(const Lane&, const Lane&) = default;
};

// lastStep 16 and 64 steps of the kind's default value; the NOTES lane also has 64 one-note chords.
Lane defaultLane(LaneKind kind);

// Brings a lane read from outside into the shape every consumer relies on: lastStep within
// 1...64 and at least 64 steps (missing ones take the kind's default). Chords, when present,
// are realigned with the steps. A lane already in that shape is left untouched.
void conformLaneShape(Lane& lane, LaneKind kind);

}  // namespace pulvan::model
