#include "platform/x11/paint_check.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>

namespace pulvan::x11::paint_check {
namespace {

std::atomic<bool> on{false};
std::mutex mutex;
PaintCheck soFar;

// cairo composes an edge that lies on a clip's edge a few levels apart from the same edge unclipped.
bool nearlyEqual(std::uint32_t a, std::uint32_t b) {
    constexpr int tolerance = 6;
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

// Around the pixels where two images of one size differ; empty when none does.
PixelRect differingArea(cairo_surface_t* a, cairo_surface_t* b) {
    cairo_surface_flush(a);
    cairo_surface_flush(b);
    const int width = cairo_image_surface_get_width(a), height = cairo_image_surface_get_height(a);
    const int strideA = cairo_image_surface_get_stride(a), strideB = cairo_image_surface_get_stride(b);
    const unsigned char *dataA = cairo_image_surface_get_data(a), *dataB = cairo_image_surface_get_data(b);
    int x0 = width, y0 = height, x1 = 0, y1 = 0;
    for (int y = 0; y < height; ++y) {
        const auto* rowA = reinterpret_cast<const std::uint32_t*>(dataA + static_cast<std::ptrdiff_t>(y) * strideA);
        const auto* rowB = reinterpret_cast<const std::uint32_t*>(dataB + static_cast<std::ptrdiff_t>(y) * strideB);
        for (int x = 0; x < width; ++x)
            if (!nearlyEqual(rowA[x], rowB[x]))
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x + 1), y1 = std::max(y1, y + 1);
    }
    return x1 > x0 ? PixelRect{x0, y0, x1 - x0, y1 - y0} : PixelRect{};
}

}  // namespace

void turn(bool value) {
    const std::lock_guard lock(mutex);
    soFar = {};
    on = value;
}

bool isOn() { return on; }

PaintCheck result() {
    const std::lock_guard lock(mutex);
    return soFar;
}

void compare(cairo_surface_t* frame, cairo_surface_t* whole) {
    const PixelRect unlike = differingArea(frame, whole);
    const std::lock_guard lock(mutex);
    ++soFar.frames;
    if (unlike.width == 0) return;
    ++soFar.unlike;
    soFar.lastUnlikeArea = unlike;
}

}  // namespace pulvan::x11::paint_check
