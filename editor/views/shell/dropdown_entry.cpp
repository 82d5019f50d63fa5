#include "editor/views/shell/dropdown_entry.h"

#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;

DropdownEntryColors dropdownEntryColors(const store::DropdownRequest& request, const store::DropdownItem& item, Color accent, bool lit) {
    DropdownEntryColors c;
    c.text = item.optionForegroundColor ? colorFromHex(*item.optionForegroundColor)
             : item.disabled            ? secondaryTextColor.opacity(0.4)
             : lit                      ? Color::black()
             : item.highlight           ? primaryTextColor
                                        : secondaryTextColor;
    c.background = item.optionBackgroundColor ? colorFromHex(*item.optionBackgroundColor)
                   : lit                      ? accent
                   : request.borderedCells    ? controlBackgroundColor
                                              : Color::clear();
    c.ring = item.optionBackgroundColor && item.active ? Color::white().opacity(0.6) : Color::clear();
    return c;
}

View DropdownEntry::body(BuildContext&) const {
    const store::DropdownRequest& r = *request;
    const store::DropdownItem& i = r.items[index];
    if (i.isSeparator)
        return rectangle()
            .fill(themeBorderColor)
            .frame({.height = 1})
            .padding({.top = 3, .leading = 8, .bottom = 3, .trailing = 8})
            .allowsHitTesting(false);

    const DropdownEntryColors colors = dropdownEntryColors(r, i, accent, lit);
    // The text is offered the row's width before the spacer; a long label shrinks a little before its end is cut.
    const View label = hstack({.alignment = Edge::center, .spacing = 8},
                              text(i.label)
                                  .font(Font::system(13, FontWeight::semibold))
                                  .lineLimit(1)
                                  .minimumScaleFactor(0.75)
                                  .foregroundColor(colors.text)
                                  .layoutPriority(1),
                              r.vertical ? spacer(0) : View())
                           .padding({.top = 7, .leading = 10, .bottom = 7, .trailing = 10});
    const auto press = [&](bool down) {
        return i.pressHighlight ? std::function<void()>([onPress = onPress, down] { onPress(down); }) : nullptr;
    };
    const View capture =
        SingleTouchTapCapture{.onTap = onChoose, .allowSecondaryTouches = true, .onPressStart = press(true), .onPressEnd = press(false)};

    if (!i.onDelete) {
        View framed = label;
        if (r.gridCellSize) framed = label.frame({.width = r.gridCellSize->width, .height = r.gridCellSize->height});
        else if (r.gridColumns) framed = label.frame({.width = gridCellWidth});
        const double radius = r.chromeless ? 0 : 2;
        return framed.background(color(colors.background))
            .overlay(continuousRoundedRectangle(radius).stroke(r.borderedCells ? themeBorderColor : colors.ring, 1))
            .clipShape(shapes::continuousRoundedRectangle(radius))
            .contentShape(shapes::rectangle())
            .overlay(capture);
    }
    const View deleteButton = View(SingleTouchTapButton{
                                       .enabled = true,
                                       .allowSecondaryTouches = true,
                                       .action = onDeleteTap,
                                       .label = symbol("xmark")
                                                    .font(Font::system(9, FontWeight::bold))
                                                    .foregroundColor(lit ? Color::black() : secondaryTextColor)
                                                    .frame({.width = 18, .height = 18})
                                                    .padding(7)
                                                    .contentShape(shapes::rectangle()),
                                   })
                                  .padding(Edge::trailing, 3);
    return hstack({.alignment = Edge::center, .spacing = 8},
                  label.frame({.maxWidth = infinity, .alignment = Edge::leading}).contentShape(shapes::rectangle()).overlay(capture),
                  deleteButton)
        .background(color(colors.background))
        .overlay(continuousRoundedRectangle(2).stroke(colors.ring, 1))
        .clipShape(shapes::continuousRoundedRectangle(2));
}

}  // namespace pulvan::views
