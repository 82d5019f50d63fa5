#pragma once
// The title row of modals and dialogs: the title, an optional text action, and the close button.
#include "editor/views/shell/theme.h"
#include "platform/ui/view.h"

#include <functional>
#include <optional>
#include <string>

namespace pulvan::views {

struct ModalHeader {
    std::string title;
    std::optional<std::string> inlineActionTitle;  // shown only together with onInlineAction
    Color inlineActionColor = secondaryTextColor;
    double inlineActionFontSize = 11;
    std::function<void()> onInlineAction;
    std::function<void()> onClose;  // none: no close button

    ui::View body(ui::BuildContext& context) const;
};

// "close" with an x, lit in the environment's accent while pressed.
struct ModalCloseButton {
    bool allowSecondaryTouches = false;
    std::function<void()> action;

    ui::View body(ui::BuildContext& context) const;
};

// The close button's label, for the modals' other close-style buttons: the x, then the text.
ui::View modalCloseLabel(std::string text = "close", std::string symbolName = "xmark");

}  // namespace pulvan::views
