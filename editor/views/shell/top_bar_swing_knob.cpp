#include "editor/views/shell/top_bar_swing_knob.h"

#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace pulvan::views {

using namespace ui;

namespace {

constexpr double pi = std::numbers::pi;

// The circle of the frame from `from` to `to` of its length (0 at three o'clock, clockwise), turned by 90
// degrees: 0.125...0.875 is the 270-degree arc from the lower left over the top to the lower right.
Path dialArc(const Rect& frame, double from, double to) {
    const double radius = std::min(frame.width, frame.height) / 2;
    const double start = 2 * pi * from + pi / 2;
    const double end = 2 * pi * to + pi / 2;
    return Path{}
        .moveTo({frame.midX() + radius * std::cos(start), frame.midY() + radius * std::sin(start)})
        .arc(frame.center(), radius, start, end, true);
}

}  // namespace

double TopBarSwingKnob::stepForSwing(int swing) const {
    if (swing < 51) return 0;
    const double f = swing > 75 ? 1 : (swing - 51) / 24.0;
    return f * (knobStepCount - 1) + 1;
}

int TopBarSwingKnob::swingForStep(double step) const {
    if (step <= 0) return 50;
    const double c = std::min(step, knobStepCount);
    return 51 + static_cast<int>(std::round((c - 1) / (knobStepCount - 1) * 24));
}

View TopBarSwingKnob::body(BuildContext& context) const {
    const auto dragStartStep = context.state<std::optional<double>>();
    const auto dragDisplayStep = context.state<std::optional<double>>();
    const double n = knobStepCount;
    const double displayedStep = std::clamp(dragDisplayStep->value_or(stepForSwing(value)), 0.0, n);
    const double t = displayedStep / n;

    const StrokeStyle arcStroke{.width = lineWidth, .cap = LineCap::round, .join = LineJoin::miter};
    const View dial = zstack({}, canvas([arcStroke](DisplayList& list, const Rect& frame) {
                                 list.add(draw::Stroke{dialArc(frame, 0.125, 0.875), colorFromHex(0x20242D), arcStroke});
                             }),
                             canvas([arcStroke, t](DisplayList& list, const Rect& frame) {
                                 if (t > 0) list.add(draw::Stroke{dialArc(frame, 0.125, 0.125 + 0.75 * t), globalAccentColor(), arcStroke});
                             }),
                             rectangle()
                                 .fill(primaryTextColor.opacity(0.9))
                                 .frame({.width = 2, .height = 9})
                                 .offset(0, -0.24 * size)
                                 .rotationEffect((270 * t - 135) * pi / 180))
                          .frame({.width = size, .height = size});
    const View label = text(value == 50 ? " " : "swing")
                           .font(Font::system(10, FontWeight::semibold))
                           .foregroundColor(globalAccentColor())
                           .lineLimit(1)
                           .minimumScaleFactor(0.7)
                           .frame({.width = labelWidth});

    const auto change = [=, *this](const DragValue& drag) {
        if (!*dragStartStep) dragStartStep.set(stepForSwing(value));
        const double s = std::clamp(**dragStartStep - drag.translation().y * dragSensitivity, 0.0, n);
        dragDisplayStep.set(s);
        if (onChange) onChange(swingForStep(s));
    };
    const auto end = [=, onDragEnd = onDragEnd](const DragValue&) {
        dragStartStep.set(std::nullopt);
        dragDisplayStep.set(std::nullopt);
        if (onDragEnd) onDragEnd();
    };
    return vstack({.alignment = Edge::center, .spacing = 1}, dial, label)
        .frame({.width = labelWidth, .height = 48})
        .contentShape(shapes::rectangle())
        .onDrag({.minimumDistance = 0}, change, end);
}

}  // namespace pulvan::views
