#pragma once
// The editor keeps the aspect 640 : 365 (height = width × 0.5703125) and is
// never smaller than 640 × 365.
#include "pluginterfaces/gui/iplugview.h"

namespace kez {

inline constexpr int kEditorMinWidth = 640;
inline constexpr int kEditorMinHeight = 365;
inline constexpr int kEditorDefaultWidth = 1280;
inline constexpr int kEditorDefaultHeight = 730;
inline constexpr double kEditorHeightPerWidth = 0.5703125;

// Moves the right and bottom edges to the nearest allowed size; the left and
// top edges stay.
void constrainEditorRect(Steinberg::ViewRect& rect);

// The size an editor opens at for a stored preferred width (0 or less: none).
Steinberg::ViewRect initialEditorRect(double preferredWidth);

}  // namespace kez
