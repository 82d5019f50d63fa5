#pragma once
// Redraws its content every half second while a scene mode is armed, with the phase on in alternate
// half-seconds; idle, it draws once with the phase off.
#include "platform/ui/view_modifiers.h"

#include <functional>

namespace pulvan::views {

struct BlinkTimeline : ui::ViewModifiers<BlinkTimeline> {
    bool armed = false;
    std::function<ui::View(bool blinkOn)> content;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
