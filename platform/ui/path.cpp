#include "platform/ui/path.h"

#include <numbers>

namespace pulvan::ui {

namespace {

constexpr double twoPi = 2 * std::numbers::pi;

// The point a new segment starts from, if any.
std::optional<Point> currentPoint(const std::vector<Path::Element>& elements) {
    std::optional<Point> start;
    std::optional<Point> current;
    for (const Path::Element& e : elements) {
        switch (e.verb) {
            case Path::Verb::move: start = current = e.points[0]; break;
            case Path::Verb::line: current = e.points[0]; break;
            case Path::Verb::quad: current = e.points[1]; break;
            case Path::Verb::cubic: current = e.points[2]; break;
            case Path::Verb::close: current = start; break;
        }
    }
    return current;
}

int pointCount(Path::Verb verb) {
    switch (verb) {
        case Path::Verb::move:
        case Path::Verb::line: return 1;
        case Path::Verb::quad: return 2;
        case Path::Verb::cubic: return 3;
        case Path::Verb::close: return 0;
    }
    return 0;
}

}  // namespace

Path& Path::arc(Point centre, double radius, double startAngle, double endAngle, bool clockwise) {
    // Angles grow clockwise on screen (y down), as cairo_arc and cairo_arc_negative take them.
    if (clockwise) {
        while (endAngle < startAngle) endAngle += twoPi;
    } else {
        while (endAngle > startAngle) endAngle -= twoPi;
    }
    const auto at = [&](double angle) { return Point{centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)}; };
    if (currentPoint(elements_)) {
        lineTo(at(startAngle));
    } else {
        moveTo(at(startAngle));
    }
    const double sweep = endAngle - startAngle;
    const int segments = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / 2) - 1e-9)));
    const double step = sweep / segments;
    // Cubic control distance for an arc of `step` radians.
    const double k = 4.0 / 3.0 * std::tan(step / 4) * radius;
    for (int i = 0; i < segments; ++i) {
        const double a0 = startAngle + i * step, a1 = a0 + step;
        const Point p0 = at(a0), p1 = at(a1);
        cubicTo(p1, {p0.x - k * std::sin(a0), p0.y + k * std::cos(a0)}, {p1.x + k * std::sin(a1), p1.y - k * std::cos(a1)});
    }
    return *this;
}

Path& Path::addRect(const Rect& r) {
    return moveTo(r.origin()).lineTo({r.maxX(), r.y}).lineTo({r.maxX(), r.maxY()}).lineTo({r.x, r.maxY()}).close();
}

Path& Path::addEllipse(const Rect& r) {
    const double k = 0.5522847498307936;  // 4/3 (sqrt 2 - 1): a quarter circle as one cubic
    const double rx = r.width / 2, ry = r.height / 2, cx = r.midX(), cy = r.midY();
    moveTo({r.maxX(), cy});
    cubicTo({cx, r.maxY()}, {r.maxX(), cy + k * ry}, {cx + k * rx, r.maxY()});
    cubicTo({r.x, cy}, {cx - k * rx, r.maxY()}, {r.x, cy + k * ry});
    cubicTo({cx, r.y}, {r.x, cy - k * ry}, {cx - k * rx, r.y});
    cubicTo({r.maxX(), cy}, {cx + k * rx, r.y}, {r.maxX(), cy - k * ry});
    return close();
}

Path& Path::addRoundedRect(const Rect& r, double radius) {
    const double rr = std::clamp(radius, 0.0, std::min(r.width, r.height) / 2);
    if (rr <= 0) return addRect(r);
    const double pi = std::numbers::pi;
    moveTo({r.x + rr, r.y});
    arc({r.maxX() - rr, r.y + rr}, rr, -pi / 2, 0, true);
    arc({r.maxX() - rr, r.maxY() - rr}, rr, 0, pi / 2, true);
    arc({r.x + rr, r.maxY() - rr}, rr, pi / 2, pi, true);
    arc({r.x + rr, r.y + rr}, rr, pi, 3 * pi / 2, true);
    return close();
}

Path& Path::addPath(const Path& other, const Transform& t) {
    for (Element e : other.elements_) {
        for (int i = 0; i < pointCount(e.verb); ++i) e.points[i] = t.apply(e.points[i]);
        elements_.push_back(e);
    }
    return *this;
}

Rect Path::bounds() const {
    // The hull of the points, control points included: cheap and never smaller than the ink.
    bool any = false;
    double l = 0, t = 0, r = 0, b = 0;
    for (const Element& e : elements_) {
        for (int i = 0; i < pointCount(e.verb); ++i) {
            const Point p = e.points[i];
            if (!any) {
                l = r = p.x, t = b = p.y, any = true;
            } else {
                l = std::min(l, p.x), r = std::max(r, p.x), t = std::min(t, p.y), b = std::max(b, p.y);
            }
        }
    }
    return any ? Rect{l, t, r - l, b - t} : Rect{};
}

Path Path::transformed(const Transform& t) const { return Path{}.addPath(*this, t); }

bool operator==(const Path& a, const Path& b) {
    return std::equal(a.elements_.begin(), a.elements_.end(), b.elements_.begin(), b.elements_.end(),
                      [](const Path::Element& x, const Path::Element& y) {
                          if (x.verb != y.verb) return false;
                          for (int i = 0; i < pointCount(x.verb); ++i)
                              if (x.points[i] != y.points[i]) return false;
                          return true;
                      });
}

namespace shapes {

Shape rectangle() {
    return [](const Rect& r) { return Path{}.addRect(r); };
}

Shape roundedRectangle(double radius) {
    return [radius](const Rect& r) { return Path{}.addRoundedRect(r, radius); };
}

Shape capsule() {
    return [](const Rect& r) { return Path{}.addRoundedRect(r, std::min(r.width, r.height) / 2); };
}

Shape circle() {
    return [](const Rect& r) {
        const double d = std::min(r.width, r.height);
        return Path{}.addEllipse({r.midX() - d / 2, r.midY() - d / 2, d, d});
    };
}

Shape ellipse() {
    return [](const Rect& r) { return Path{}.addEllipse(r); };
}

}  // namespace shapes

}  // namespace pulvan::ui
