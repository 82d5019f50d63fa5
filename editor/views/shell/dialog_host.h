#pragma once
// Shows the store's pending dialog over the editor: a darkened backdrop (a tap on it cancels) and the
// dialog. Prompts that fill the window (hosted editors, or requests that prefer it) are not shown here:
// the editor content shows a HostedFullscreenPrompt for fullscreenPromptRequest(store) in its place.
#include "editor/store/sequencer_store.h"
#include "platform/ui/view.h"

#include <optional>

namespace pulvan::views {

// Place it over the whole editor, above the dropdowns; it draws nothing while no dialog is pending.
struct DialogHost {
    ui::View body(ui::BuildContext& context) const;
};

// The pending request when it is a prompt to show over the whole window instead of as a dialog.
std::optional<store::DialogRequest> fullscreenPromptRequest(const store::SequencerStore& store);

}  // namespace pulvan::views
