#include "editor/views/shell/modal_panel.h"

#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;

View ModalPanel::body(BuildContext&) const {
    return vstackOf({.alignment = Edge::leading, .spacing = 14}, content)
        .padding(18)
        .frame({.width = width})
        .background(color(background))
        .overlay(continuousRoundedRectangle(10).stroke(borderColor, 1))
        .clipShape(shapes::continuousRoundedRectangle(10));
}

}  // namespace pulvan::views
