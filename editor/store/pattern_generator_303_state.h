#pragma once
#include "editor/store/editor_modes.h"

#include <optional>
#include <vector>

namespace pulvan::store {

inline constexpr int patternGenerator303StepCount = 16;

struct PatternGenerator303PitchStep {
    std::optional<int> pitch = 60;  // MIDI note; none = no note
    int octave = 0;
    bool accent = false;
    bool slide = false;

    friend bool operator==(const PatternGenerator303PitchStep&, const PatternGenerator303PitchStep&) = default;
};

// The 303 generator's programme and cursor. Built through make(), both arrays
// are exactly 16 long and every time value lies in 0...2.
struct PatternGenerator303State {
    PatternGenerator303Mode mode = PatternGenerator303Mode::pitch;
    int stepIndex = 0;
    std::vector<PatternGenerator303PitchStep> pitch = std::vector<PatternGenerator303PitchStep>(patternGenerator303StepCount);
    std::vector<int> time = std::vector<int>(patternGenerator303StepCount, 0);
    int noAccentVelocity = 100;
    int accentVelocity = 127;

    // Longer arrays keep their first 16 entries, shorter ones are filled with
    // default steps (pitch 60) and time 0; time values are clamped to 0...2.
    static PatternGenerator303State make(PatternGenerator303Mode mode, int stepIndex, std::vector<PatternGenerator303PitchStep> pitch,
                                         std::vector<int> time, int noAccentVelocity, int accentVelocity);

    friend bool operator==(const PatternGenerator303State&, const PatternGenerator303State&) = default;
};

}  // namespace pulvan::store
