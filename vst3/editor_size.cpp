#include "vst3/editor_size.h"

#include <algorithm>
#include <cmath>

namespace kez {
namespace {

constexpr double kWidthPerHeight = 640.0 / 365.0;

Steinberg::int32 rounded(double value) { return static_cast<Steinberg::int32>(std::round(value)); }

}  // namespace

void constrainEditorRect(Steinberg::ViewRect& rect) {
    const double w = std::max(rect.right - rect.left, 1);
    const double h = std::max(rect.bottom - rect.top, 1);
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
    rect.right = rect.left + std::max(rounded(fittedH * kWidthPerHeight), rounded(fittedW));
    rect.bottom = rect.top + std::max(rounded(fittedW * kEditorHeightPerWidth), rounded(fittedH));
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
