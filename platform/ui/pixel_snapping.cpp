#include "platform/ui/pixel_snapping.h"

#include <algorithm>
#include <cmath>

namespace pulvan::ui {

namespace {

constexpr double hairline = 2.5;  // device pixels: a one-point line up to a scale of two
constexpr double thinFill = 1.5;
constexpr double minimumStretched = 12;  // device pixels

// Device coordinate v goes to a * v + b.
struct AxisMap {
    double a = 1, b = 0;
};

bool axisAligned(const cairo_matrix_t& m) { return m.xy == 0 && m.yx == 0 && m.xx > 0 && m.yy > 0; }

// A hairline `pixels` wide on the first whole pixels inside each edge; a line across the axis, or a small
// shape, moved so that its middle falls on whole pixels.
AxisMap hairlineAxis(double lo, double hi, int pixels) {
    const double half = pixels / 2.0;
    // Small shapes (icons, marks) only move: drawing them a pixel narrower would change their look.
    if (hi - lo < minimumStretched) {
        const double c = (lo + hi) / 2;
        return {1, std::round(c - half) + half - c};
    }
    const double snappedLo = std::round(lo) + half, snappedHi = std::round(hi) - half;
    if (snappedHi <= snappedLo) return {1, snappedLo - lo};
    const double a = (snappedHi - snappedLo) / (hi - lo);
    return {a, snappedLo - a * lo};
}

// Thin across the axis: exactly the pixel its centre lies in.
AxisMap thinAxis(double lo, double hi) {
    if (!(hi - lo < thinFill) || !(hi > lo)) return {};
    const double a = 1 / (hi - lo);
    return {a, std::floor((lo + hi) / 2) - a * lo};
}

// The device maps as one transform of user space.
Path mapped(const Path& path, const cairo_matrix_t& m, AxisMap x, AxisMap y) {
    const Transform t{x.a, 0, 0, y.a, (x.a * m.x0 + x.b - m.x0) / m.xx, (y.a * m.y0 + y.b - m.y0) / m.yy};
    return path.transformed(t);
}

Rect deviceBounds(const Path& path, const cairo_matrix_t& m) {
    const Rect b = path.bounds();
    return {b.x * m.xx + m.x0, b.y * m.yy + m.y0, b.width * m.xx, b.height * m.yy};
}

}  // namespace

std::optional<Path> snappedHairline(const Path& path, double width, const cairo_matrix_t& m) {
    const double pixels = width * std::max(m.xx, m.yy);
    if (!axisAligned(m) || path.isEmpty() || pixels > hairline) return std::nullopt;
    const int whole = std::max(1, static_cast<int>(std::lround(pixels)));
    const Rect d = deviceBounds(path, m);
    return mapped(path, m, hairlineAxis(d.x, d.maxX(), whole), hairlineAxis(d.y, d.maxY(), whole));
}

std::optional<Path> snappedThinFill(const Path& path, const cairo_matrix_t& m) {
    if (!axisAligned(m) || path.isEmpty()) return std::nullopt;
    const bool straight = std::all_of(path.elements().begin(), path.elements().end(), [](const Path::Element& e) {
        return e.verb == Path::Verb::move || e.verb == Path::Verb::line || e.verb == Path::Verb::close;
    });
    if (!straight) return std::nullopt;
    const Rect d = deviceBounds(path, m);
    const AxisMap x = thinAxis(d.x, d.maxX()), y = thinAxis(d.y, d.maxY());
    if (x.a == 1 && x.b == 0 && y.a == 1 && y.b == 0) return std::nullopt;
    return mapped(path, m, x, y);
}

}  // namespace pulvan::ui
