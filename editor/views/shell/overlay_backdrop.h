#pragma once
// The dimmed backdrop under dialogs, dropdowns and most modals: black at 55 % over the whole overlay,
// where a tap runs onTap.
#include "platform/ui/view.h"

#include <functional>

namespace pulvan::views {

ui::View overlayBackdrop(std::function<void()> onTap);
// The same, where the second click of a double click runs onRepeatedClick instead of onTap.
ui::View overlayBackdrop(std::function<void()> onTap, std::function<void()> onRepeatedClick);

}  // namespace pulvan::views
