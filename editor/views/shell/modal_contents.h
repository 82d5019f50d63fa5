#pragma once
// The view of each modal the store can open, for the modal host.
#include "editor/store/editor_modes.h"
#include "platform/ui/view.h"

namespace pulvan::views {

ui::View modalContent(store::KezModal modal);

}  // namespace pulvan::views
