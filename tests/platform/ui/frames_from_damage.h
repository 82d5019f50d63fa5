#pragma once
// The window's picture as a window host paints it: the first frame whole, then each frame the last one with every
// device pixel its damage touches painted again from the drawing recorded for that damage. Each frame is compared
// with a whole paint of the same state.
#include "platform/ui/bitmap.h"
#include "platform/ui/cairo_painter.h"
#include "platform/ui/harness.h"

#include <cmath>

namespace pulvan::ui::test {

class FramesFromDamage {
public:
    explicit FramesFromDamage(Harness& harness, double scale)
        : harness_(harness),
          scale_(scale),
          picture_(pixels(harness.root().size().width), pixels(harness.root().size().height)) {
        harness_.update();
        harness_.root().takeDamage();
        picture_.render(harness_.root().wholeDisplayList(), scale_, Color::black());
    }

    // Paints the damage taken from the root; the largest channel difference from a whole paint of the same state.
    int paintAndCompare() {
        harness_.update();
        Root& root = harness_.root();
        const Damage damage = root.takeDamage();
        cairo_t* cr = cairo_create(picture_.surface());
        for (const Rect& r : damage.rects()) {
            constexpr double slack = 1e-6;
            const double x0 = std::floor(r.x * scale_ + slack), y0 = std::floor(r.y * scale_ + slack);
            cairo_rectangle(cr, x0, y0, std::ceil(r.maxX() * scale_ - slack) - x0, std::ceil(r.maxY() * scale_ - slack) - y0);
        }
        cairo_clip(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        cairo_scale(cr, scale_, scale_);
        paint(cr, root.displayList());
        cairo_destroy(cr);
        cairo_surface_flush(picture_.surface());
        Bitmap whole(picture_.width(), picture_.height());
        whole.render(root.wholeDisplayList(), scale_, Color::black());
        return picture_.compare(whole, 0).maxChannelDelta;
    }

private:
    int pixels(double points) const { return static_cast<int>(std::ceil(points * scale_)); }
    Harness& harness_;
    double scale_;
    Bitmap picture_;
};

}  // namespace pulvan::ui::test
