#pragma once
// Shows the store's pending dialog over the editor: a darkened backdrop (a tap on it cancels) and the
// dialog. Prompts that fill the window are the editor content's to show, as a HostedFullscreenPrompt in
// place of the editor.
#include "platform/ui/view.h"

namespace pulvan::views {

// Place it over the whole editor, above the dropdowns; it draws nothing while no dialog is pending.
struct DialogHost {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
