#include "editor/views/notespool/notes_pool_chip.h"

#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;

View NotesPoolChip::body(BuildContext&) const {
    return hstack({.spacing = 6}, circle().fill(on ? accent : secondaryTextColor.opacity(0.55)).frame({.width = 7, .height = 7}),
                  ui::text(text)
                      .font(Font::system(11, FontWeight::semibold))
                      .foregroundColor(on ? primaryTextColor : secondaryTextColor)
                      .lineLimit(1)
                      .layoutPriority(1),
                  spacer(0))
        .padding(Edge::horizontal, 10)
        .frame({.maxWidth = infinity, .minHeight = 30})
        .background(rectangle().fill(controlBackgroundColor))
        .overlay(continuousRoundedRectangle(4).strokeBorder(on ? accent.opacity(0.55) : themeBorderColor, 1))
        .clipShape(shapes::continuousRoundedRectangle(4))
        .contentShape(shapes::rectangle());
}

}  // namespace pulvan::views
