#pragma once
// Rounded rectangles whose corners ease into the sides (curvature grows gradually) instead of circular
// arcs that meet the sides abruptly.
#include "platform/ui/content.h"

namespace pulvan::ui {

namespace shapes {
// A corner of radius r starts about 1.53 r from the rectangle's corner; r shrinks on small rectangles.
Shape continuousRoundedRectangle(double radius);
}  // namespace shapes

ShapeView continuousRoundedRectangle(double radius);

}  // namespace pulvan::ui
