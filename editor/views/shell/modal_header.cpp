#include "editor/views/shell/modal_header.h"

#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/press_highlight.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;

View ModalHeader::body(BuildContext&) const {
    View inlineAction;
    if (inlineActionTitle && onInlineAction) {
        const View label = text(*inlineActionTitle)
                               .font(Font::system(inlineActionFontSize, FontWeight::semibold))
                               .foregroundColor(inlineActionColor)
                               .padding({.top = 6, .leading = 8, .bottom = 6, .trailing = 8});
        inlineAction = View(SingleTouchTapButton{.enabled = true, .allowSecondaryTouches = true, .action = onInlineAction, .label = label})
                           .padding(Edge::leading, 10);
    }
    return hstack({.alignment = Edge::center}, text(title).font(Font::system(13, FontWeight::bold)).foregroundColor(primaryTextColor),
                  inlineAction, spacer(), onClose ? View(ModalCloseButton{.allowSecondaryTouches = true, .action = onClose}) : View());
}

View modalCloseLabel(std::string string, std::string symbolName) {
    return hstack({.alignment = Edge::center, .spacing = 6}, symbol(symbolName).font(Font::system(12, FontWeight::bold)),
                  text(std::move(string)).font(Font::system(13, FontWeight::semibold)));
}

View ModalCloseButton::body(BuildContext& context) const {
    const auto pressing = context.state<bool>(false);
    const Color accent = context.env<KezAccentKey>();
    const View label = modalCloseLabel()
                           .foregroundColor(*pressing ? Color::black() : secondaryTextColor)
                           .padding(Edge::horizontal, 12)
                           .frame({.height = 30})
                           .background(color(*pressing ? accent.opacity(0.75) : controlBackgroundColor))
                           .overlay(continuousRoundedRectangle(4).stroke(themeBorderColor, 1))
                           .clipShape(shapes::continuousRoundedRectangle(4));
    return whilePressed(
               SingleTouchTapButton{.enabled = true, .allowSecondaryTouches = allowSecondaryTouches, .action = action, .label = label},
               pressing)
        .testId("modal.close");
}

}  // namespace pulvan::views
