#pragma once
// The panel both settings modals sit in: a header with the title and a close button, then the body.
#include "platform/ui/view.h"

#include <string>

namespace pulvan::views {

ui::View makeModalPanel(double width, std::string title, ui::View body);

}  // namespace pulvan::views
