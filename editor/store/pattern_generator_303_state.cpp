#include "editor/store/pattern_generator_303_state.h"

#include <algorithm>

namespace pulvan::store {

PatternGenerator303State PatternGenerator303State::make(PatternGenerator303Mode mode, int stepIndex,
                                                        std::vector<PatternGenerator303PitchStep> pitch, std::vector<int> time,
                                                        int noAccentVelocity, int accentVelocity) {
    pitch.resize(patternGenerator303StepCount);
    time.resize(patternGenerator303StepCount, 0);
    for (int& value : time) value = std::clamp(value, 0, 2);
    return PatternGenerator303State{mode, stepIndex, std::move(pitch), std::move(time), noAccentVelocity, accentVelocity};
}

}  // namespace pulvan::store
