#include "vst3/editor_size.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kez {
namespace {

constexpr double kWidthPerHeight = 640.0 / 365.0;

// Rounded into the int32 range: a host may hand over any rectangle, edges near the limits included.
Steinberg::int32 rounded(double value) {
    constexpr double lo = std::numeric_limits<Steinberg::int32>::min();
    constexpr double hi = std::numeric_limits<Steinberg::int32>::max();
    return static_cast<Steinberg::int32>(std::clamp(std::round(value), lo, hi));
}

}  // namespace

void constrainEditorRect(Steinberg::ViewRect& rect) {
    // Edges subtracted as doubles: in 32 bits the difference of two far-apart edges overflows.
    const double w = std::max(static_cast<double>(rect.right) - rect.left, 1.0);
    const double h = std::max(static_cast<double>(rect.bottom) - rect.top, 1.0);
    const double widthError = std::abs(h * kWidthPerHeight - w);
    const double heightError = std::abs(w * kEditorHeightPerWidth - h);
    double fittedW = w, fittedH = h;
    if (widthError > heightError) {
        fittedH = std::round(w * kEditorHeightPerWidth);
    } else {
        fittedW = std::round(h * kWidthPerHeight);
    }
    fittedW = std::max(fittedW, static_cast<double>(kEditorMinWidth));
    fittedH = std::max(fittedH, static_cast<double>(kEditorMinHeight));
    rect.right = rounded(rect.left + std::max(std::round(fittedH * kWidthPerHeight), std::round(fittedW)));
    rect.bottom = rounded(rect.top + std::max(std::round(fittedW * kEditorHeightPerWidth), std::round(fittedH)));
}

Steinberg::ViewRect initialEditorRect(double preferredWidth) {
    if (!(preferredWidth > 0.0) || !std::isfinite(preferredWidth))
        return Steinberg::ViewRect(0, 0, kEditorDefaultWidth, kEditorDefaultHeight);
    // Far beyond any screen; keeps the rounding inside the int32 range.
    const double width = std::min(preferredWidth, 100000.0);
    Steinberg::ViewRect rect(0, 0, rounded(width), rounded(width * kEditorHeightPerWidth));
    constrainEditorRect(rect);
    return rect;
}

}  // namespace kez
