#pragma once
// A symbol button at least 40 x 40 that lights while it is held and reports the tap.
#include "platform/ui/view.h"

#include <functional>
#include <string>

namespace pulvan::views {

struct IconButtonLabel {
    std::string system;  // the symbol's name
    bool active = false;

    ui::View body(ui::BuildContext& context) const;
};

struct IconButton {
    std::string system;
    bool enabled = true;           // false: drawn at 35 % and takes no taps
    std::function<void()> action;  // none: drawn as enabled, takes no taps

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
