#pragma once
// The entries of one dropdown as a vertical list, a row or a grid, in a dark rounded panel with a shadow;
// taps on entries run their actions and close the dropdown through the store.
#include "editor/store/dropdown_request.h"
#include "platform/ui/view.h"

namespace pulvan::views {

struct DropdownPanel {
    store::DropdownRequest request;
    ui::Color accent;                 // the fill of lit entries
    double maxWidth = 0;              // rows and grids wider than this scroll (0: never)
    double maxHeight = ui::infinity;  // for a vertical list
    double defaultVerticalListWidth = 300;
    double gridCellWidth = 62;

    ui::View body(ui::BuildContext& context) const;
};

// A vertical list's width: at least the minimum, and wide enough for its longest label whole.
double verticalListWidthFitting(const std::vector<store::DropdownItem>& items, double minimum);

// The height a vertical list of these items is estimated at.
double estimatedVerticalListHeight(const std::vector<store::DropdownItem>& items);

}  // namespace pulvan::views
