#include "editor/views/shell/button_chrome.h"

#include "platform/ui/continuous_corners.h"

namespace pulvan::views {

using namespace ui;

View buttonChrome(View content, ButtonChrome chrome) {
    return content.foregroundColor(chrome.foreground)
        .padding(Edge::horizontal, chrome.horizontalPadding)
        .frame({.height = 40})
        .background(chrome.background)
        .overlay(continuousRoundedRectangle(2).stroke(
            chrome.border, StrokeStyle{.width = 1, .cap = LineCap::butt, .join = LineJoin::miter, .miterLimit = 10}))
        .clipShape(shapes::continuousRoundedRectangle(2))
        .padding(Edge::vertical, 4);
}

View buttonText(std::string string) { return text(std::move(string)).font(Font::system(12, FontWeight::semibold)).lineLimit(1); }

}  // namespace pulvan::views
