#pragma once
// Points, sizes and rectangles in points (doubles); rounding happens only when drawing.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace pulvan::ui {

inline constexpr double infinity = std::numeric_limits<double>::infinity();

struct Point {
    double x = 0;
    double y = 0;
    friend constexpr Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
    friend constexpr Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
    friend constexpr bool operator==(Point, Point) = default;
};

inline double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

struct Size {
    double width = 0;
    double height = 0;
    friend constexpr bool operator==(Size, Size) = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    constexpr Rect() = default;
    constexpr Rect(double x_, double y_, double w, double h) : x(x_), y(y_), width(w), height(h) {}
    constexpr Rect(Point origin, Size size) : x(origin.x), y(origin.y), width(size.width), height(size.height) {}

    constexpr double minX() const { return x; }
    constexpr double minY() const { return y; }
    constexpr double maxX() const { return x + width; }
    constexpr double maxY() const { return y + height; }
    constexpr double midX() const { return x + width / 2; }
    constexpr double midY() const { return y + height / 2; }
    constexpr Point origin() const { return {x, y}; }
    constexpr Size size() const { return {width, height}; }
    constexpr Point center() const { return {midX(), midY()}; }
    constexpr bool isEmpty() const { return !(width > 0) || !(height > 0); }
    constexpr bool contains(Point p) const { return p.x >= x && p.x < maxX() && p.y >= y && p.y < maxY(); }
    constexpr Rect offsetBy(double dx, double dy) const { return {x + dx, y + dy, width, height}; }
    constexpr Rect insetBy(double dx, double dy) const { return {x + dx, y + dy, width - 2 * dx, height - 2 * dy}; }
    Rect united(const Rect& o) const {
        if (isEmpty()) return o;
        if (o.isEmpty()) return *this;
        const double l = std::min(x, o.x), t = std::min(y, o.y);
        return {l, t, std::max(maxX(), o.maxX()) - l, std::max(maxY(), o.maxY()) - t};
    }
    Rect intersection(const Rect& o) const {
        const double l = std::max(x, o.x), t = std::max(y, o.y);
        const double r = std::min(maxX(), o.maxX()), b = std::min(maxY(), o.maxY());
        if (r <= l || b <= t) return {};
        return {l, t, r - l, b - t};
    }
    bool intersects(const Rect& o) const { return !intersection(o).isEmpty(); }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// Space per edge; negative values reach outside.
struct EdgeInsets {
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;
    friend constexpr bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

// Edges for padding, and the alignments that name them: a frame aligned `top | leading` is top-leading.
enum Edge : unsigned {
    top = 1,
    leading = 2,
    bottom = 4,
    trailing = 8,
    horizontal = leading | trailing,
    vertical = top | bottom,
    allEdges = 15,
    center = 16,
    firstTextBaseline = 32,
};

// What a parent offers a child: each axis may be unspecified (the child's ideal size).
struct ProposedSize {
    std::optional<double> width;
    std::optional<double> height;
    static ProposedSize unspecified() { return {}; }
    static ProposedSize zero() { return {0.0, 0.0}; }
    static ProposedSize infinite() { return {infinity, infinity}; }
    Size replacingUnspecified(Size with) const { return {width.value_or(with.width), height.value_or(with.height)}; }
    friend bool operator==(const ProposedSize&, const ProposedSize&) = default;
};

// A point in a rectangle's unit square, for anchors of scaling and alignment.
struct UnitPoint {
    double x = 0.5;
    double y = 0.5;
    constexpr UnitPoint() = default;
    constexpr UnitPoint(double x_, double y_) : x(x_), y(y_) {}
    // From alignment edges: leading, trailing, top, bottom, center or two of them combined.
    constexpr UnitPoint(unsigned edges)
        : x(edges & Edge::leading    ? 0.0
            : edges & Edge::trailing ? 1.0
                                     : 0.5),
          y(edges & Edge::top      ? 0.0
            : edges & Edge::bottom ? 1.0
                                   : 0.5) {}
    Point in(const Rect& r) const { return {r.x + x * r.width, r.y + y * r.height}; }
    friend constexpr bool operator==(UnitPoint, UnitPoint) = default;
};
namespace unit {
inline constexpr UnitPoint topLeading{0, 0}, top{0.5, 0}, topTrailing{1, 0}, leading{0, 0.5}, center{0.5, 0.5}, trailing{1, 0.5},
    bottomLeading{0, 1}, bottom{0.5, 1}, bottomTrailing{1, 1};
}

// An affine transform: x' = a x + c y + tx, y' = b x + d y + ty.
struct Transform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    static Transform translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Transform scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Transform rotation(double radians) {
        const double cs = std::cos(radians), sn = std::sin(radians);
        return {cs, sn, -sn, cs, 0, 0};
    }
    // This transform applied after `first`.
    Transform after(const Transform& first) const {
        return {a * first.a + c * first.b, b * first.a + d * first.b,        a * first.c + c * first.d,
                b * first.c + d * first.d, a * first.tx + c * first.ty + tx, b * first.tx + d * first.ty + ty};
    }
    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    Rect apply(const Rect& r) const {
        const Point p[4] = {apply(r.origin()), apply({r.maxX(), r.y}), apply({r.x, r.maxY()}), apply({r.maxX(), r.maxY()})};
        double l = p[0].x, t = p[0].y, rr = p[0].x, bb = p[0].y;
        for (const Point& q : p) l = std::min(l, q.x), t = std::min(t, q.y), rr = std::max(rr, q.x), bb = std::max(bb, q.y);
        return {l, t, rr - l, bb - t};
    }
    Transform inverted() const {
        const double det = a * d - b * c;
        if (det == 0) return {};
        const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
        return {ia, ib, ic, id, -(ia * tx + ic * ty), -(ib * tx + id * ty)};
    }
    bool isIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1 && tx == 0 && ty == 0; }
    friend constexpr bool operator==(const Transform&, const Transform&) = default;
};

}  // namespace pulvan::ui
