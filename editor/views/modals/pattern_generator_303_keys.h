#pragma once
// The 303 generator's entry surfaces: the one-octave keyboard that enters pitches, and the attribute
// section that enters time values (TIME) or octave, accent and slide (PITCH) at the cursor.
#include "editor/views/modals/pattern_generator_303_display.h"
#include "platform/ui/view_modifiers.h"

#include <array>
#include <optional>
#include <string>
#include <utility>

namespace pulvan::views {

struct PatternGenerator303Layout {
    static constexpr double layoutSpacing = 16;
    static constexpr double keySpacing = 10;
    static constexpr double topControlsHeight = 36;
    static constexpr double keyHeight = 104;
    static constexpr double keyboardAreaPadding = 10;
    static constexpr double keyboardToControlsSpacing = 22;
    static constexpr double rightPaneWidth = 284;
    static constexpr double navigationPaneWidth = 96;
    static constexpr double modeButtonWidth = 140;
    static constexpr double navigationControlHeight = 46;
    static constexpr double velocityDragPixelsPerUnit = 6;
    static constexpr double attributeLabelHeight = 14;
    static constexpr double attributeLabelSpacing = 8;

    static constexpr double attributeColumnWidth = (rightPaneWidth - 3 * keySpacing) / 4;
    static constexpr double doubleColumnWidth = keySpacing + 2 * attributeColumnWidth;
    static constexpr double lowerRightHeight = keyHeight + 2 * keySpacing + 2 * navigationControlHeight;
    static constexpr double lowerRightWidth = navigationPaneWidth + rightPaneWidth + 2 * layoutSpacing + 1;

    // A key's width for the width the keyboard is given: 8 white keys, never below 24.
    static double keyWidth(double keyboardWidth);
};

// The eight white keys (label, semitone above the base note) and the black keys of their slots.
inline const std::array<std::pair<std::string, int>, 8> whiteKeyPitchClasses{
    {{"C", 0}, {"D", 2}, {"E", 4}, {"F", 5}, {"G", 7}, {"A", 9}, {"B", 11}, {"C", 12}}};
inline constexpr std::array<std::optional<int>, 8> blackKeyPitchClasses{1, 3, std::nullopt, 6, 8, 10, std::nullopt, std::nullopt};
inline const std::array<std::string, 12> semitones{"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

struct PatternGenerator303Keyboard : ui::ViewModifiers<PatternGenerator303Keyboard> {
    double width = 0;
    PatternGenerator303Display display;
    ui::State<PatternGenerator303PressState> press;

    ui::View body(ui::BuildContext& context) const;
};

// The labels row over the four attribute buttons.
struct PatternGenerator303Attributes : ui::ViewModifiers<PatternGenerator303Attributes> {
    PatternGenerator303Display display;
    ui::State<PatternGenerator303PressState> press;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
