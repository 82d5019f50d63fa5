#pragma once
// The look the top bar's buttons share: a 40-point high box with a 1-point border on a dark control
// background, 4 points of air above and below (48 in all).
#include "editor/views/shell/theme.h"
#include "platform/ui/view.h"

#include <string>

namespace pulvan::views {

struct ButtonChrome {
    double horizontalPadding = 0;
    ui::Color foreground;
    ui::View background;
    ui::Color border = themeBorderColor;
};

// The content finished with the chrome, inside to outside.
ui::View buttonChrome(ui::View content, ButtonChrome chrome);

// A button's text: system 12 semibold, one line, cut at the tail.
ui::View buttonText(std::string text);

}  // namespace pulvan::views
