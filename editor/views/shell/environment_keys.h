#pragma once
// Values the editor's views hand down through the environment.
#include "editor/views/shell/theme.h"

#include <limits>

namespace pulvan::views {

// The accent colour controls draw in.
struct KezAccentKey {
    using Value = Color;
    static Color defaultValue() { return trackAccentColors().front(); }
};

// The width a modal's content may use.
struct KezModalViewportWidthKey {
    using Value = double;
    static double defaultValue() { return std::numeric_limits<double>::max(); }
};

// The height a modal may use from where the host puts its top down to the bottom margin.
struct KezModalViewportHeightKey {
    using Value = double;
    static double defaultValue() { return std::numeric_limits<double>::max(); }
};

// Whether a modal option stretches to the height it is offered.
struct KezModalOptionFillHeightKey {
    using Value = bool;
    static bool defaultValue() { return false; }
};

}  // namespace pulvan::views
