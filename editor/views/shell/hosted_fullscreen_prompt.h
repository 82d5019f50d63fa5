#pragma once
// A text prompt over the whole window, shown by the editor content in place of the editor for a pending
// prompt in a host or one that prefers the full window. Its buttons read the accent from KezAccentKey.
#include "editor/store/dialog_request.h"
#include "platform/ui/view.h"

namespace pulvan::views {

struct HostedFullscreenPrompt {
    store::DialogRequest request;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
