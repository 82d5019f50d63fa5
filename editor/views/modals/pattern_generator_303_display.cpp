#include "editor/views/modals/pattern_generator_303_display.h"

#include <algorithm>

namespace pulvan::views {

PatternGenerator303Display PatternGenerator303Display::of(const store::PatternGenerator303State& state,
                                                          const PatternGenerator303PressState& press) {
    PatternGenerator303Display d;
    d.isPitchMode = state.mode == store::PatternGenerator303Mode::pitch;
    d.showsCurrentStep = press.isNavigationStepStateVisible || press.isPitchEntryPressing || press.isTimeEntryPressing;
    const int index = state.stepIndex;
    if (index >= 0 && index < static_cast<int>(state.pitch.size())) d.currentPitchStep = state.pitch[static_cast<std::size_t>(index)];
    else d.currentPitchStep = {std::nullopt, 0, false, false};
    if (index >= 0 && index < static_cast<int>(state.time.size())) d.currentTimeValue = state.time[static_cast<std::size_t>(index)];

    if (press.isPitchEntryPressing) d.highlightedPitchKey = press.pressedPitchClass;
    else if (d.showsCurrentStep && d.currentPitchStep.pitch) d.highlightedPitchKey = std::clamp(*d.currentPitchStep.pitch - 60, 0, 12);

    if (press.isTimeEntryPressing) d.highlightedTimeValue = press.pressedTimeState;
    else if (d.showsCurrentStep) d.highlightedTimeValue = d.currentTimeValue;
    return d;
}

void stopPatternGenerator303Audition(store::SequencerStore& store) {
    const auto note = std::exchange(store.patternGenerator303AuditioningNote, std::nullopt);
    const auto channel = std::exchange(store.patternGenerator303AuditioningChannel, std::nullopt);
    if (note && channel) store.sendNoteOff(*note, *channel);
}

}  // namespace pulvan::views
