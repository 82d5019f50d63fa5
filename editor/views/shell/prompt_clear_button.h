#pragma once
// The round x over a prompt field's trailing edge that empties it; invisible and untouchable while hidden.
#include "platform/ui/view.h"

#include <functional>

namespace pulvan::views {

struct PromptClearButton {
    double diameter = 18;
    bool isVisible = false;
    std::function<void()> action;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
