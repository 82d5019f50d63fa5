#include "editor/views/shell/app_play_toggle_button.h"

#include "editor/views/shell/button_chrome.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "platform/ui/content.h"

namespace pulvan::views {

using namespace ui;

View AppPlayToggleButton::body(BuildContext&) const {
    return buttonChrome(buttonText("App play"),
                        {
                            .horizontalPadding = 20,
                            .foreground = isRunning ? Color::black() : secondaryTextColor,
                            .background = color(isRunning ? globalAccentColor().opacity(0.8) : controlBackgroundColor),
                        })
        .overlay(SingleTouchTapCapture{.onTap = action, .allowSecondaryTouches = true});
}

}  // namespace pulvan::views
