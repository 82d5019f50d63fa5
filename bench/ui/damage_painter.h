#pragma once
// Paints what changed, as a window would: the damaged area of the harness's root drawn again.
#include "platform/ui/bitmap.h"
#include "platform/ui/cairo_painter.h"
#include "platform/ui/harness.h"

#include <cairo.h>

namespace pulvan::bench {

inline void paintDamage(ui::Harness& h, ui::Bitmap& bitmap, double scale) {
    const ui::Damage damage = h.root().takeDamage();
    if (damage.isEmpty()) return;
    cairo_t* cr = cairo_create(bitmap.surface());
    cairo_scale(cr, scale, scale);
    for (const ui::Rect& r : damage.rects()) cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0.055, 0.055, 0.063);
    cairo_paint(cr);
    ui::paint(cr, h.root().displayList());
    cairo_destroy(cr);
    cairo_surface_flush(bitmap.surface());
}

}  // namespace pulvan::bench
