#pragma once
// A live controller knob: a 270-degree dial turned by vertical drags and the scroll wheel, 0...127.
#include "platform/ui/color.h"
#include "platform/ui/view_modifiers.h"

#include <functional>
#include <optional>
#include <string>

namespace pulvan::views {

// Vertical drags from the press point (y grows downward) and scroll-wheel deltas (positive: up) over its frame.
struct PerformanceLiveCCKnobInputCapture : ui::ViewModifiers<PerformanceLiveCCKnobInputCapture> {
    std::function<void()> onDragStart;
    std::function<void(double)> onDragMove;
    std::function<void()> onDragEnd;
    std::function<void(double, bool)> onScroll;  // delta, precise

    ui::View body(ui::BuildContext& context) const;
};

struct PerformanceLiveCCKnob : ui::ViewModifiers<PerformanceLiveCCKnob> {
    std::string label;
    int value = 0;
    ui::Color tint;
    std::function<void(int)> onChange;
    double size = 52;
    double lineWidth = 2.8;
    double dragSensitivity = 0.45;
    double wheelPreciseSensitivity = 0.15;
    double wheelLineSensitivity = 1.5;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
