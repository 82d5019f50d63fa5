#include "editor/views/shell/shapes.h"

#include <algorithm>

namespace pulvan::views {

using ui::Path;
using ui::Rect;

namespace {

Path roundedCornersPath(const Rect& r, double radius, UIRectCorner corners) {
    const double rr = std::min(radius, std::min(r.width, r.height) / 2);
    const auto cornerRadius = [&](UIRectCorner corner) { return corners.contains(corner) ? rr : 0.0; };
    const double tl = cornerRadius(topLeft), tr = cornerRadius(topRight), bl = cornerRadius(bottomLeft), br = cornerRadius(bottomRight);
    Path p;
    p.moveTo({r.minX() + tl, r.minY()});
    p.lineTo({r.maxX() - tr, r.minY()});
    if (tr > 0) p.quadTo({r.maxX(), r.minY() + tr}, {r.maxX(), r.minY()});
    p.lineTo({r.maxX(), r.maxY() - br});
    if (br > 0) p.quadTo({r.maxX() - br, r.maxY()}, {r.maxX(), r.maxY()});
    p.lineTo({r.minX() + bl, r.maxY()});
    if (bl > 0) p.quadTo({r.minX(), r.maxY() - bl}, {r.minX(), r.maxY()});
    p.lineTo({r.minX(), r.minY() + tl});
    if (tl > 0) p.quadTo({r.minX() + tl, r.minY()}, {r.minX(), r.minY()});
    return p.close();
}

// The radius is not limited by the rectangle: a narrow tab's two curves overlap.
Path tabTopBorderPath(const Rect& r, double radius) {
    Path p;
    p.moveTo({r.minX(), r.maxY()});
    p.lineTo({r.minX(), r.minY() + radius});
    p.quadTo({r.minX() + radius, r.minY()}, {r.minX(), r.minY()});
    p.lineTo({r.maxX() - radius, r.minY()});
    p.quadTo({r.maxX(), r.minY() + radius}, {r.maxX(), r.minY()});
    return p.lineTo({r.maxX(), r.maxY()});
}

}  // namespace

RoundedCorners::RoundedCorners(double radius_, UIRectCorner corners_)
    : ui::ShapeView([radius_, corners_](const Rect& r) { return roundedCornersPath(r, radius_, corners_); }),
      radius(radius_),
      corners(corners_) {}

TabTopBorder::TabTopBorder(double radius_)
    : ui::ShapeView([radius_](const Rect& r) { return tabTopBorderPath(r, radius_); }),
      radius(radius_) {}

}  // namespace pulvan::views
