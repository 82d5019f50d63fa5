#include "editor/views/shell/icon_button.h"

#include "editor/views/shell/button_chrome.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "platform/ui/content.h"

namespace pulvan::views {

using namespace ui;

View IconButtonLabel::body(BuildContext&) const {
    const View icon = symbol(system).font(Font::system(14, FontWeight::semibold)).frame({.minWidth = 40, .maxHeight = infinity});
    return buttonChrome(icon, {
                                  .foreground = active ? primaryTextColor : secondaryTextColor,
                                  .background = color(active ? globalAccentColor().opacity(0.8) : controlBackgroundColor),
                              });
}

View IconButton::body(BuildContext& context) const {
    const auto pressed = context.state<bool>(false);
    return View(SingleTouchTapButton{
                    .enabled = enabled && action,
                    .allowSecondaryTouches = true,
                    .onPressStart = [pressed] { pressed.set(true); },
                    .onPressEnd = [pressed] { pressed.set(false); },
                    .action = action,
                    .label = IconButtonLabel{system, *pressed},
                })
        .opacity(enabled ? 1 : 0.35)
        .disabled(!enabled);
}

}  // namespace pulvan::views
