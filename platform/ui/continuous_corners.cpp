#include "platform/ui/continuous_corners.h"

#include <algorithm>

namespace pulvan::ui {

namespace {

// How far the eased corner reaches along each side, in radii.
constexpr double reach = 1.52866483;

// One corner from the side before it to the side after it. c is the rectangle's corner, u points from
// the corner along the side the path arrives on (back towards where it came from), v along the side it
// leaves on; the offsets are in radii along u and v.
void addCorner(Path& path, Point c, Point u, Point v, double r) {
    const auto at = [&](double alongU, double alongV) {
        return Point{c.x + (u.x * alongU + v.x * alongV) * r, c.y + (u.y * alongU + v.y * alongV) * r};
    };
    path.lineTo(at(reach, 0));
    path.cubicTo(at(0.66993427, 0.06549600), at(1.08849323, 0), at(0.86840689, 0));
    path.lineTo(at(0.63149399, 0.07491100));
    path.cubicTo(at(0.07491100, 0.63149399), at(0.37282392, 0.16905899), at(0.16905899, 0.37282392));
    path.lineTo(at(0.06549600, 0.66993427));
    path.cubicTo(at(0, reach), at(0, 0.86840689), at(0, 1.08849323));
}

}  // namespace

namespace shapes {

Shape continuousRoundedRectangle(double radius) {
    return [radius](const Rect& rect) {
        const double r = std::clamp(radius, 0.0, std::min(rect.width, rect.height) / 2 / reach);
        Path path;
        if (r <= 0) return path.addRect(rect);
        path.moveTo({rect.minX() + reach * r, rect.minY()});
        addCorner(path, {rect.maxX(), rect.minY()}, {-1, 0}, {0, 1}, r);
        addCorner(path, {rect.maxX(), rect.maxY()}, {0, -1}, {-1, 0}, r);
        addCorner(path, {rect.minX(), rect.maxY()}, {1, 0}, {0, -1}, r);
        addCorner(path, {rect.minX(), rect.minY()}, {0, 1}, {1, 0}, r);
        return path.close();
    };
}

}  // namespace shapes

ShapeView continuousRoundedRectangle(double radius) { return ShapeView(shapes::continuousRoundedRectangle(radius)); }

}  // namespace pulvan::ui
