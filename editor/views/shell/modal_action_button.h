#pragma once
// The text buttons of dialogs and prompts: a confirm button filled with the accent, a cancel button that
// lights while pressed; a disabled one is dimmed and lets touches through.
#include "platform/ui/view.h"

#include <functional>
#include <string>

namespace pulvan::views {

struct ModalActionButtonLabeled {
    std::string title;
    bool accentFill = false;
    bool enabled = true;
    bool pressHighlight = false;
    std::function<void()> action;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
