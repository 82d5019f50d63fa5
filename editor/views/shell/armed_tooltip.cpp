#include "editor/views/shell/armed_tooltip.h"

#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"

namespace pulvan::views {

using namespace ui;

ui::View ArmedTooltipModifier::operator()(View content) const {
    // The same structure either way, so the control keeps its state when the tooltip comes and goes.
    if (!visible) return content.overlay(View(), alignment).zIndex(0);
    const View tooltip = ui::text(text)
                             .font(Font::system(11, FontWeight::semibold))
                             .foregroundColor(primaryTextColor)
                             .lineLimit(1)
                             .fixedSize(true, false)
                             .padding({.top = 5, .leading = 10, .bottom = 5, .trailing = 10})
                             .background(color(Color::black()))
                             .overlay(continuousRoundedRectangle(6).stroke(themeBorderColor, 1))
                             .clipShape(shapes::continuousRoundedRectangle(6))
                             .shadow(Color::black().opacity(0.45), 6, 0, 2)
                             .offset(0, -yOffset)
                             .allowsHitTesting(false);
    return content.overlay(tooltip, alignment).zIndex(1);
}

}  // namespace pulvan::views
