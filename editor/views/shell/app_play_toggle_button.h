#pragma once
// Starts and stops the standalone application's play; the owner flips isRunning, the button reports taps.
#include "platform/ui/view.h"

#include <functional>

namespace pulvan::views {

struct AppPlayToggleButton {
    bool isRunning = false;
    std::function<void()> action;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
