#pragma once
// What the 303 generator's entry surfaces show: the modal's press state and the values derived from
// it and the programme on every render.
#include "editor/store/pattern_generator_303_state.h"
#include "editor/store/sequencer_store.h"

#include <optional>

namespace pulvan::views {

// Held controls. Several may be held at once (a key while "Back" is held).
struct PatternGenerator303PressState {
    std::optional<int> pressedPitchClass;       // key 0...12
    std::optional<int> pressedTimeState;        // time value 0...2
    bool isNavigationStepStateVisible = false;  // "Back" or "Next" held
    bool isPitchEntryPressing = false;
    bool isTimeEntryPressing = false;
    friend bool operator==(const PatternGenerator303PressState&, const PatternGenerator303PressState&) = default;
};

struct PatternGenerator303Display {
    bool isPitchMode = true;
    // Holding a key, a time button, "Back" or "Next" shows the step under the cursor.
    bool showsCurrentStep = false;
    store::PatternGenerator303PitchStep currentPitchStep;  // an empty step outside the programme
    int currentTimeValue = 1;                              // 1 outside the programme
    std::optional<int> highlightedPitchKey;
    std::optional<int> highlightedTimeValue;

    static PatternGenerator303Display of(const store::PatternGenerator303State& state, const PatternGenerator303PressState& press);
    bool isTimeValueHighlighted(int value) const { return highlightedTimeValue == value; }
};

// Silences the note a key or a step auditions: a note-off only when both note and channel are known.
void stopPatternGenerator303Audition(store::SequencerStore& store);

}  // namespace pulvan::views
