#pragma once
// What a dialog's or a prompt's buttons do with the store's pending request.
#include "editor/store/dialog_request.h"
#include "editor/store/sequencer_store.h"

#include <string>

namespace pulvan::views {

// Only a prompt that requires input needs text that is not blank once trimmed.
bool canSubmitDialog(const store::DialogRequest& request, const std::string& text);
// When it can: clears the store's dialog first, so the callback may post another, then confirms with
// the text as typed.
void submitDialog(store::SequencerStore& store, const store::DialogRequest& request, const std::string& text);
// Clears the store's dialog, then runs its cancel callback.
void cancelDialog(store::SequencerStore& store);

}  // namespace pulvan::views
