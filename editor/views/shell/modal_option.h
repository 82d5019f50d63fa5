#pragma once
// The option button of every modal: selectable, with an optional progress bar, dot texture, press
// highlight and presence mark; and the container modifier that lets options fill the height offered.
#include "platform/ui/view.h"

#include <functional>
#include <optional>
#include <string>

namespace pulvan::views {

struct ModalOption {
    std::string label;
    std::optional<std::string> leadingSystemImage;
    double leadingSystemImageSize = 12;
    bool active = false;
    bool activeUsesDotTexture = false;
    std::optional<ui::Color> activeColor;  // none: the environment's accent
    std::optional<double> progress;
    bool pressHighlight = false;
    bool enabled = true;  // false: dimmed, no fill, takes no taps
    std::optional<ui::Color> presenceIndicatorColor;
    bool allowSecondaryTouches = false;
    std::optional<ui::Color> borderColor;  // none: the theme border
    std::function<void()> onPressStart;
    std::function<void()> onPressEnd;
    std::function<void()> action;

    ui::View body(ui::BuildContext& context) const;
};

// Every ModalOption inside the content fills the height it is offered instead of its natural height.
struct ModalOptionFillHeight {
    ui::View operator()(ui::View content) const;
};

}  // namespace pulvan::views
