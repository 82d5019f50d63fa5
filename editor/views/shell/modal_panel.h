#pragma once
// The framed panel modals and dialogs draw their content in: a leading column, spacing 14, padded 18,
// of a fixed width, on a rounded background with a 1-point border.
#include "editor/views/shell/theme.h"
#include "platform/ui/view.h"

namespace pulvan::views {

struct ModalPanel {
    double width = 0;
    Color background = panelBackgroundColor;
    Color borderColor = themeBorderColor;
    ui::Views content;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
