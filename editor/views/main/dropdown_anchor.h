#pragma once
// How the lane rows' controls publish their bounds for the overlay they open.
#include "editor/store/editor_modes.h"
#include "platform/foundation/uuid.h"
#include "platform/ui/view.h"

namespace pulvan::views {

ui::View publishDropdownAnchor(ui::View control, foundation::Uuid anchorID);
ui::View publishModalAnchor(ui::View control, store::KezModal modal);

}  // namespace pulvan::views
