#pragma once
// The dimmed backdrop under dialogs, dropdowns and most modals: black at 55 % over the whole overlay,
// where a tap runs onTap.
#include "platform/ui/view.h"

#include <functional>

namespace pulvan::views {

ui::View overlayBackdrop(std::function<void()> onTap);

}  // namespace pulvan::views
