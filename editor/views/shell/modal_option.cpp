#include "editor/views/shell/modal_option.h"

#include "editor/views/shell/dot_texture.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/press_highlight.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;

namespace {

struct OptionLook {
    Color fill;
    bool filled = false;
    bool showProgress = false;
    bool dotMode = false;
    Color border;
    double fraction = 0;
};

OptionLook lookOf(const ModalOption& option, Color accent, bool pressing) {
    const bool hasProgress = option.progress.has_value();
    OptionLook look;
    if (!option.enabled) {
        look.filled = false;
    } else if (option.active) {
        look.fill = option.activeColor.value_or(accent);
        look.filled = true;
        look.dotMode = option.activeUsesDotTexture && !hasProgress;
        look.showProgress = !look.dotMode && hasProgress;
    } else {
        look.fill = accent;
        look.filled = hasProgress || (option.pressHighlight && pressing);
        look.showProgress = hasProgress;
    }
    look.border = look.dotMode ? look.fill : option.borderColor.value_or(themeBorderColor);
    look.fraction = hasProgress && *option.progress >= 0 ? std::min(*option.progress, 1.0) : 0;
    return look;
}

}  // namespace

View ModalOption::body(BuildContext& context) const {
    const auto pressing = context.state<bool>(false);
    const Color accent = context.env<KezAccentKey>();
    const bool fillHeight = context.env<KezModalOptionFillHeightKey>();
    const OptionLook look = lookOf(*this, accent, *pressing);

    const View content =
        hstack({.alignment = Edge::center, .spacing = label.empty() ? 0.0 : 6.0},
               leadingSystemImage ? symbol(*leadingSystemImage).font(Font::system(leadingSystemImageSize, FontWeight::semibold)) : View(),
               label.empty() ? View() : text(label).lineLimit(1).minimumScaleFactor(0.7))
            .font(Font::system(12, FontWeight::semibold));
    const Color foreground = look.dotMode  ? primaryTextColor
                             : look.filled ? Color::black()
                             : enabled     ? secondaryTextColor
                                           : secondaryTextColor.opacity(0.4);

    View fillLayer;
    if (look.showProgress) {
        fillLayer = geometryReader([accent, fraction = look.fraction](const GeometryProxy& proxy) {
            return color(accent.opacity(0.7)).frame({.width = fraction * proxy.size().width, .height = proxy.size().height});
        });
    } else if (look.filled) {
        fillLayer = look.dotMode ? View(DotTexture{look.fill, 3, 1.3}) : color(look.fill.opacity(0.7));
    }

    View finished =
        content.foregroundColor(foreground)
            .padding(Edge::horizontal, 12)
            .padding(Edge::vertical, fillHeight ? 0 : 13)
            .frame(fillHeight ? View::FrameSpec{.maxWidth = infinity, .minHeight = 0, .maxHeight = infinity}
                              : View::FrameSpec{.maxWidth = infinity, .minHeight = 32})
            .background(zstack({.alignment = unit::leading}, color(controlBackgroundColor.opacity(enabled ? 1 : 0.55)), fillLayer))
            .overlay(continuousRoundedRectangle(4).stroke(look.border, 1))
            .clipShape(shapes::continuousRoundedRectangle(4));
    if (presenceIndicatorColor)
        finished = finished.overlay(color(*presenceIndicatorColor).frame({.height = 1}).padding(Edge::horizontal, 3), unit::bottom);

    const View button = View(SingleTouchTapButton{
                                 .enabled = true,
                                 .allowSecondaryTouches = allowSecondaryTouches,
                                 .onPressStart = onPressStart,
                                 .onPressEnd = onPressEnd,
                                 .action = action,
                                 .label = finished,
                             })
                            .disabled(!enabled);
    return whilePressed(button, pressing);
}

View ModalOptionFillHeight::operator()(View content) const { return content.environment<KezModalOptionFillHeightKey>(true); }

}  // namespace pulvan::views
