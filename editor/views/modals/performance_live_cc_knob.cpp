#include "editor/views/modals/performance_live_cc_knob.h"

#include "editor/views/shell/capture_surface.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pulvan::views {

using namespace ui;

namespace {

constexpr double degrees = std::numbers::pi / 180;
constexpr Color dialTrackColor = colorFromHex(0x20242D);

// A circle trimmed to a part of its circumference, which starts at 3 o'clock and runs clockwise.
Shape trimmedCircle(double from, double to) {
    return [from, to](const Rect& r) {
        if (to <= from) return Path();
        const double radius = std::min(r.width, r.height) / 2;
        return Path().arc(r.center(), radius, from * 2 * std::numbers::pi, to * 2 * std::numbers::pi, true);
    };
}

int clampedMIDIValue(int value) { return std::clamp(value, 0, 127); }

struct WheelCarry {
    double steps = 0;
};

}  // namespace

View PerformanceLiveCCKnobInputCapture::body(BuildContext& context) const {
    const auto dragStartY = context.storage<std::optional<double>>();
    return captureSurface([view = *this, dragStartY](const PointerEvent& e) {
               switch (e.phase) {
                   case PointerPhase::press:
                       *dragStartY = e.location.y;
                       callIfSet(view.onDragStart);
                       break;
                   case PointerPhase::move:
                       if (*dragStartY) callIfSet(view.onDragMove, e.location.y - **dragStartY);
                       break;
                   case PointerPhase::release:
                   case PointerPhase::cancel:
                       if (!*dragStartY) break;
                       dragStartY->reset();
                       callIfSet(view.onDragEnd);
                       break;
               }
           })
        .onScroll([onScroll = onScroll](const ScrollEvent& e) {
            // The layer's deltas grow downward; the knob's grow upward, as a wheel turned away from the user.
            if (onScroll) onScroll(-e.deltaY, e.hasPreciseDeltas);
            return true;
        });
}

View PerformanceLiveCCKnob::body(BuildContext& context) const {
    const auto dragStartValue = context.storage<std::optional<int>>();
    const auto wheelStepCarry = context.storage<WheelCarry>();
    const double f = clampedMIDIValue(value) / 127.0;
    const StrokeStyle arcStroke{.width = lineWidth, .cap = LineCap::round};

    const View dial = zstack({}, shape(trimmedCircle(0.125, 0.875)).stroke(dialTrackColor, arcStroke).rotationEffect(90 * degrees),
                             shape(trimmedCircle(0.125, 0.125 + 0.75 * f)).stroke(tint, arcStroke).rotationEffect(90 * degrees),
                             rectangle()
                                 .fill(primaryTextColor.opacity(0.9))
                                 .frame({.width = 2, .height = 16})
                                 .offset(0, -0.24 * size)
                                 .rotationEffect((-135 + 270 * f) * degrees))
                          .frame({.width = size, .height = size});

    const PerformanceLiveCCKnobInputCapture capture{
        .onDragStart = [dragStartValue, value = value] { *dragStartValue = value; },
        .onDragMove =
            [dragStartValue, value = value, sensitivity = dragSensitivity, onChange = onChange](double dy) {
                const int start = dragStartValue->value_or(value);
                const int step = static_cast<int>(std::lround(-dy * sensitivity));
                if (onChange) onChange(clampedMIDIValue(start + step));
            },
        .onDragEnd = [dragStartValue] { dragStartValue->reset(); },
        .onScroll =
            [wheelStepCarry, value = value, precise = wheelPreciseSensitivity, line = wheelLineSensitivity, onChange = onChange](
                double delta, bool isPrecise) {
                const double t = delta * (isPrecise ? precise : line) + wheelStepCarry->steps;
                const double n = std::trunc(t);
                wheelStepCarry->steps = t - n;
                // Held to the range before the conversion, so a wild delta cannot overflow the integer.
                if (n != 0 && onChange) onChange(clampedMIDIValue(value + static_cast<int>(std::clamp(n, -128.0, 128.0))));
            },
    };

    return vstack(
               {.alignment = Edge::center, .spacing = 1}, dial,
               text(label).font(Font::system(12, FontWeight::semibold)).foregroundColor(tint).frame({.maxWidth = infinity}).offset(0, -10))
        .contentShape(shapes::rectangle())
        .overlay(capture.frame({.width = size, .height = size}), unit::top);
}

}  // namespace pulvan::views
