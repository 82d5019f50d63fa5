#pragma once
// The foot row: the active track's eight pattern slots, the launch quantisation, the 303 generator,
// and copy, swap and clear of the active pattern.
#include "platform/ui/view_modifiers.h"

#include <array>

namespace pulvan::views {

struct PatternLaunchResolution {
    int value;
    const char* label;
};

// In dropdown order.
inline constexpr std::array<PatternLaunchResolution, 4> patternLaunchResolutions{{{16, "1/16"}, {8, "1/8"}, {4, "1/4"}, {1, "1 bar"}}};

struct PatternsRow : ui::ViewModifiers<PatternsRow> {
    static constexpr double armedOpacity = 0.45;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
