#include "editor/views/modals/settings_scroll_int_field.h"

#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

namespace pulvan::views {

using namespace ui;

namespace {

struct ScrubGesture {
    std::optional<int> dragStartValue;
    bool transactionActive = false;
    std::optional<std::int64_t> lastTapEndNanoseconds;
};

}  // namespace

int SettingsScrollIntField::snapped(int x) const {
    const int c = std::clamp(x, range.lower, range.upper);
    return range.lower + static_cast<int>(std::lround(static_cast<double>(c - range.lower) / step)) * step;
}

View SettingsScrollIntField::body(BuildContext& context) const {
    const auto dragPreviewValue = context.state<std::optional<int>>();
    const auto scrub = context.storage<ScrubGesture>();
    const foundation::Clock& clock = context.mainQueue().clock();
    const int displayed = dragPreviewValue->value_or(value);

    const auto changed = [field = *this, dragPreviewValue, scrub](const DragValue& drag) {
        if (!scrub->dragStartValue) scrub->dragStartValue = field.value;
        const int start = *scrub->dragStartValue;
        const int steps = static_cast<int>(std::lround(-drag.translation().y / field.pixelsPerStep));
        const int next = field.snapped(start + steps * field.step);
        dragPreviewValue.set(next);
        if (!scrub->transactionActive && next != start) scrub->transactionActive = true;
    };
    const auto ended = [field = *this, dragPreviewValue, scrub, &clock](const DragValue& drag) {
        scrub->dragStartValue.reset();
        if (scrub->transactionActive) {
            if (*dragPreviewValue && **dragPreviewValue != field.value && field.onCommit) field.onCommit(**dragPreviewValue);
            dragPreviewValue.set(std::nullopt);
            scrub->transactionActive = false;
            scrub->lastTapEndNanoseconds.reset();
            return;
        }
        dragPreviewValue.set(std::nullopt);
        const Point t = drag.translation();
        if (std::hypot(t.x, t.y) >= tapMovementLimit) {
            scrub->lastTapEndNanoseconds.reset();
            return;
        }
        const std::int64_t now = clock.nowNanoseconds();
        if (scrub->lastTapEndNanoseconds && static_cast<double>(now - *scrub->lastTapEndNanoseconds) * 1e-9 < doubleTapWindowSeconds) {
            scrub->lastTapEndNanoseconds.reset();
            const int reset = field.snapped(field.resetValue);
            if (reset != field.value && field.onCommit) field.onCommit(reset);
        } else {
            scrub->lastTapEndNanoseconds = now;
        }
    };

    return hstack(
               {.alignment = Edge::center, .spacing = 6},
               text(std::to_string(displayed)).font(Font::system(13, FontWeight::semibold)).lineLimit(1).foregroundColor(primaryTextColor),
               spacer(0),
               symbol("chevron.up.chevron.down")
                   .font(Font::system(10, FontWeight::semibold))
                   .foregroundColor(secondaryTextColor.opacity(0.9)))
        .padding(Edge::horizontal, 10)
        .frame({.width = 110, .height = 32, .alignment = unit::leading})
        .background(color(controlBackgroundColor))
        .overlay(continuousRoundedRectangle(4).stroke(themeBorderColor, 1))
        .clipShape(shapes::continuousRoundedRectangle(4))
        .contentShape(shapes::rectangle())
        .onDrag({.minimumDistance = 0, .simultaneous = true}, changed, ended);
}

}  // namespace pulvan::views
