#include "editor/views/shell/track_toggle_label.h"

#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"

namespace pulvan::views {

using namespace ui;

View trackToggleLabel(const std::string& label, bool on, Color onColor) {
    return text(label)
        .font(Font::system(13, FontWeight::semibold))
        .tracking(1.2)
        .foregroundColor(on ? Color::black() : secondaryTextColor)
        .frame({.height = 20})
        .padding(Edge::horizontal, 20)
        .background(color(on ? onColor : Color::clear()))
        .overlay(continuousRoundedRectangle(2).stroke(themeBorderColor, 1))
        .clipShape(shapes::continuousRoundedRectangle(2))
        .contentShape(shapes::rectangle());
}

}  // namespace pulvan::views
