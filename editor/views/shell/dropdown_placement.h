#pragma once
// Where the dropdown host puts a panel next to the control that opened it, and how high a vertical list
// may grow there. Until the panel has been measured, its height is estimated from its items.
#include "editor/store/dropdown_request.h"
#include "platform/ui/geometry.h"

#include <optional>

namespace pulvan::views {

struct DropdownMetrics {
    static constexpr double margin = 16;
    static constexpr double gap = 6;
    static constexpr double defaultVerticalListWidth = 300;
    static constexpr double estimatedVerticalRowHeight = 29;
    static constexpr double estimatedVerticalRowSpacing = 2;
    static constexpr double verticalMaxHeight = 420;
    static constexpr double gridCellWidth = 62;
};

struct DropdownPlacementInput {
    ui::Size overlay;                // the layer the host covers
    std::optional<ui::Rect> anchor;  // the opening control's bounds in it, when published
    ui::Size panelSize;              // measured; zero until then
    double listWidth = 0;            // measured width of a row or grid panel; 0 until then
};

// The height a vertical list may use below (or above) its anchor; unbounded for other layouts or
// without an anchor, and never less than three rows.
double dropdownAvailableHeight(const store::DropdownRequest& request, ui::Size overlay, std::optional<ui::Rect> anchor);
// The width a row or grid panel takes from its entries' natural width (0: not measured).
double dropdownListWidth(const store::DropdownRequest& request, double contentWidth);
// The panel's top-left corner. Lists, rows and grids are all kept between the side margins.
ui::Point dropdownOrigin(const store::DropdownRequest& request, const DropdownPlacementInput& input);

}  // namespace pulvan::views
