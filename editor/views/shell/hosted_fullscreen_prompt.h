#pragma once
// A text prompt over the whole window, shown by the editor content in place of the editor for
// fullscreenPromptRequest(store) (dialog_host.h). Its buttons read the accent from KezAccentKey: set it to
// dialogAccent(request, the active track's accent) (standard_dialog.h).
#include "editor/store/dialog_request.h"
#include "platform/ui/view.h"

namespace pulvan::views {

struct HostedFullscreenPrompt {
    store::DialogRequest request;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
