#pragma once
// The square-cornered controls laid on the step grid: a button that runs an action, and a menu that
// opens a dropdown of values under itself. Lit in the track's accent when active.
#include "platform/foundation/uuid.h"
#include "platform/ui/view_modifiers.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::views {

struct GridButton : ui::ViewModifiers<GridButton> {
    std::optional<std::string> label;
    std::optional<std::string> systemIcon;  // shown instead of the label
    bool active = false;
    std::optional<double> progress;  // a fill from the leading edge, 0...1
    std::optional<ui::Color> activeColor;
    bool pressHighlight = false;
    std::optional<ui::Color> pressColor;
    std::optional<double> width;  // none: all the width offered
    std::optional<ui::Color> topIndicatorColor;
    std::optional<ui::Color> presenceIndicatorColor;
    std::function<void()> action;

    ui::View body(ui::BuildContext& context) const;
};

struct MenuOption {
    std::string label;
    int value = 0;
};

struct GridMenu : ui::ViewModifiers<GridMenu> {
    std::string label;
    bool active = false;
    std::optional<double> width;
    std::vector<MenuOption> options;
    int current = 0;
    std::function<void(int)> onSelect;

    ui::View body(ui::BuildContext& context) const;
};

// The frame of a control laid on the grid: a fixed width, or all the width offered.
ui::View gridCellFrame(ui::View content, std::optional<double> width);

}  // namespace pulvan::views
