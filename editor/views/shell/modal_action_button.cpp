#include "editor/views/shell/modal_action_button.h"

#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/press_highlight.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"

namespace pulvan::views {

using namespace ui;

View ModalActionButtonLabeled::body(BuildContext& context) const {
    const auto pressing = context.state<bool>(false);
    const Color accent = context.env<KezAccentKey>();
    const bool lit = enabled && (accentFill || (pressHighlight && *pressing));
    const View label = text(title)
                           .font(Font::system(12, FontWeight::bold))
                           .foregroundColor(lit ? Color::black() : primaryTextColor)
                           .opacity(enabled ? 1 : 0.5)
                           .padding(Edge::horizontal, 16)
                           .frame({.height = 30})
                           .background(color(lit ? accent.opacity(0.85) : controlBackgroundColor.opacity(enabled ? 1 : 0.6)))
                           .overlay(continuousRoundedRectangle(4).stroke(themeBorderColor, 1))
                           .clipShape(shapes::continuousRoundedRectangle(4));
    const View button = View(SingleTouchTapButton{
        .enabled = true,
        .allowSecondaryTouches = true,
        .action =
            [enabled = enabled, action = action] {
                if (enabled && action) action();
            },
        .label = label,
    });
    return whilePressed(button.allowsHitTesting(enabled), pressing);
}

}  // namespace pulvan::views
