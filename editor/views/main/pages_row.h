#pragma once
// The row under the lane editor: the four pages, the last-step picks, and the pattern's direction,
// resolution, length, note shift and rotation.
#include "editor/model/pattern_direction.h"
#include "platform/ui/view_modifiers.h"

#include <array>
#include <string>

namespace pulvan::views {

struct PatternDirectionEntry {
    model::PatternDirection direction;
    const char* glyph;
    const char* name;
};

// The directions in dropdown order.
inline constexpr std::array<PatternDirectionEntry, 6> patternDirections{{
    {model::PatternDirection::forward, "\u21FE", "Forward"},
    {model::PatternDirection::backward, "\u21FD", "Backward"},
    {model::PatternDirection::pingPong, "\u27F7", "Ping-pong"},
    {model::PatternDirection::pingPong2, "\u21C4", "Ping-pong 2"},
    {model::PatternDirection::random, "\u2681", "Random"},
    {model::PatternDirection::smartRandom, "\u2682", "Smart random"},
}};

// The resolution codes in dropdown order: straight, dotted, triplet.
inline constexpr std::array<int, 18> patternResolutions{32, 16, 8, 4, 2, 1, 132, 116, 108, 104, 102, 101, 232, 216, 208, 204, 202, 201};

struct PagesRow : ui::ViewModifiers<PagesRow> {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
