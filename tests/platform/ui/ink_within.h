#pragma once
// Every pixel a drawing command inks lies within the bounds it is damaged and recorded by.
#include <gtest/gtest.h>

#include "platform/ui/bitmap.h"
#include "platform/ui/drawn_bounds.h"

#include <cmath>

namespace pulvan::ui::test {

inline void expectInkWithinDrawnBounds(const DrawCommand& command, double scale, Size points) {
    DisplayList list;
    list.add(command);
    Bitmap bitmap(static_cast<int>(std::ceil(points.width * scale)), static_cast<int>(std::ceil(points.height * scale)));
    bitmap.render(list, scale);
    const Rect bounds = *drawnBounds(command);
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (bitmap.pixel(x, y).alpha > 0) {
                ASSERT_GT(x + 1, bounds.x * scale) << x << "," << y;
                ASSERT_LT(x, bounds.maxX() * scale) << x << "," << y;
                ASSERT_GT(y + 1, bounds.y * scale) << x << "," << y;
                ASSERT_LT(y, bounds.maxY() * scale) << x << "," << y;
            }
}

}  // namespace pulvan::ui::test
