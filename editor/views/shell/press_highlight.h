#pragma once
// The pressed look of the modal buttons: a flag that is true while a touch is down on the view, set by a
// gesture that acts alongside the view's own tap handling without delaying it.
#include "platform/ui/view.h"

namespace pulvan::views {

ui::View whilePressed(ui::View content, ui::State<bool> pressing);

}  // namespace pulvan::views
