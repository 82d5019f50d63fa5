#pragma once
// The editor's main menu: the global commands without a button of their own, as a dropdown under the
// top bar's menu button.
#include "editor/store/sequencer_store.h"

#include <vector>

namespace pulvan::views {

// Posts the menu, anchored at the control that publishes its bounds under the anchor.
void topBarMainMenu(store::SequencerStore& store, const foundation::Uuid& anchor);

// Drops leading separators, all but the first of a run, and trailing ones.
std::vector<store::DropdownItem> collapseMenuSeparators(std::vector<store::DropdownItem> items);

// Whether a pattern is on the pasteboard, answered without waiting for another program.
bool pasteboardHasPattern(const store::SequencerStore& store);

// Opens the modal in place of whatever is open.
void openModal(store::SequencerStore& store, store::KezModal modal);

}  // namespace pulvan::views
