#pragma once
// The dotted "on" texture of step cells and option buttons.
#include "platform/ui/view.h"

namespace pulvan::views {

// Dots of the diameter on a square grid from the top-left corner, one layer; a dot is drawn when its
// centre lies inside, so the last row and column may be cut by the edge. The dots are one repeated tile
// (a dot wider than the spacing is cut to its square of the grid).
struct DotTexture {
    ui::Color color;
    double spacing{};  // between dot centres; nothing is drawn unless it is above 0
    double diameter{};

    ui::View body(ui::BuildContext&) const;
};

}  // namespace pulvan::views
