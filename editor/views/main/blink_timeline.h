#pragma once
// Content that blinks: rebuilt every half second with a flag that flips each time.
#include "platform/ui/view_modifiers.h"

#include <functional>

namespace pulvan::views {

struct BlinkTimeline : ui::ViewModifiers<BlinkTimeline> {
    static constexpr double interval = 0.5;

    std::function<ui::View(bool on)> content;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
