#pragma once
// An alert, confirmation or prompt from the store's pending request, in a 360-wide modal panel.
#include "editor/store/dialog_request.h"
#include "platform/ui/view.h"

namespace pulvan::views {

struct StandardDialog {
    store::DialogRequest request;

    ui::View body(ui::BuildContext& context) const;
};

// The accent a dialog's buttons use: the global accent when the request prefers it, else its override,
// else the accent it would otherwise have.
ui::Color dialogAccent(const store::DialogRequest& request, ui::Color inherited);

}  // namespace pulvan::views
