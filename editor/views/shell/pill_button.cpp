#include "editor/views/shell/pill_button.h"

#include "editor/views/shell/button_chrome.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;

namespace {

// A fraction in 0...1; anything not at least 0 (a NaN too) counts as 0.
double clampedFraction(double value) { return value >= 0 ? std::min(value, 1.0) : 0; }

View pillBackground(const PillButton& pill) {
    View fill;
    if (pill.progress) {
        const double p = clampedFraction(*pill.progress);
        const unsigned side = pill.progressFromTrailing ? Edge::trailing : Edge::leading;
        fill = geometryReader([=, accent = pill.accentColor](const GeometryProxy& proxy) {
            return color(accent)
                .frame({.width = p * proxy.size().width, .height = proxy.size().height})
                .frame({.maxWidth = infinity, .alignment = side});
        });
    } else if (pill.active) {
        fill = color(pill.accentColor);
    }
    return zstack({.alignment = unit::leading}, color(controlBackgroundColor), fill);
}

}  // namespace

View PillButton::body(BuildContext&) const {
    const View content = hstack(
        {.alignment = Edge::center, .spacing = 8},
        showsRecordIcon ? View(RecordOutlineIcon{recordIconFillColor, recordIconFillOpacity}).frame({.width = 9, .height = 9}) : View(),
        buttonText(text));
    const View label = buttonChrome(content, {
                                                 .horizontalPadding = 20,
                                                 .foreground = !active && !progress ? secondaryTextColor : primaryTextColor,
                                                 .background = pillBackground(*this),
                                             });
    if (!action) return label;
    return SingleTouchTapButton{
        .enabled = true,
        .allowSecondaryTouches = allowSecondaryTouches,
        .onPressStart = onPressStart,
        .onPressEnd = onPressEnd,
        .action = action,
        .label = label,
    };
}

View RecordOutlineIcon::body(BuildContext&) const { return circle().fill(color.opacity(clampedFraction(opacity))); }

}  // namespace pulvan::views
