#include "editor/views/shell/prompt_clear_button.h"

#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;

View PromptClearButton::body(BuildContext&) const {
    const double side = std::max(30.0, diameter);
    return View(SingleTouchTapButton{
                    .enabled = true,
                    .allowSecondaryTouches = true,
                    .action =
                        [visible = isVisible, action = action] {
                            if (visible && action) action();
                        },
                    .label = symbol("xmark.circle.fill")
                                 .font(Font::system(diameter, FontWeight::regular))
                                 .foregroundColor(secondaryTextColor)
                                 .frame({.width = side, .height = side})
                                 .contentShape(shapes::rectangle()),
                })
        .opacity(isVisible ? 1 : 0)
        .allowsHitTesting(isVisible);
}

}  // namespace pulvan::views
