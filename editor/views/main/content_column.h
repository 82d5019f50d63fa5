#pragma once
// The column of lane rows right of the sidebar, for the active track's selected pattern; the sidebar
// repeats its rows' heights and gaps so every label sits level with its row.
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct ContentColumn : ui::ViewModifiers<ContentColumn> {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
