#include "platform/x11/paint_check.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <set>

namespace pulvan::x11::paint_check {
namespace {

// cairo rasterizes an antialiased edge a few levels apart under a clip (one of many rectangles, or one whose left
// edge cuts the shape), anywhere along the rows the edge crosses. Only a pixel where the whole paint is not flat
// (unlike a neighbour) can be such an edge; a flat pixel is the same in both paints but for a level of rounding.
constexpr int edgeTolerance = 6, flatTolerance = 2;

std::atomic<bool> on{false};
std::mutex mutex;
PaintCheck soFar;
std::set<xcb_window_t> screensDone;
bool screensAsked = false;

bool alike(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

// Around the pixels where a picture (rows of 32-bit pixels) differs from a whole paint of its size; empty when none does.
PixelRect differingArea(const unsigned char* data, int stride, cairo_surface_t* whole) {
    cairo_surface_flush(whole);
    const int width = cairo_image_surface_get_width(whole), height = cairo_image_surface_get_height(whole);
    const int wholeStride = cairo_image_surface_get_stride(whole);
    const unsigned char* wholeData = cairo_image_surface_get_data(whole);
    const auto wholeAt = [&](int x, int y) {
        return reinterpret_cast<const std::uint32_t*>(wholeData + static_cast<std::ptrdiff_t>(y) * wholeStride)[x] & 0xFFFFFF;
    };
    int x0 = width, y0 = height, x1 = 0, y1 = 0;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t expected = wholeAt(x, y);
            if (alike(row[x], expected, flatTolerance)) continue;
            const bool flat = (x == 0 || wholeAt(x - 1, y) == expected) && (x + 1 == width || wholeAt(x + 1, y) == expected) &&
                              (y == 0 || wholeAt(x, y - 1) == expected) && (y + 1 == height || wholeAt(x, y + 1) == expected);
            if (!flat && alike(row[x], expected, edgeTolerance)) continue;
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x + 1), y1 = std::max(y1, y + 1);
        }
    }
    return x1 > x0 ? PixelRect{x0, y0, x1 - x0, y1 - y0} : PixelRect{};
}

}  // namespace

void turn(bool value) {
    const std::lock_guard lock(mutex);
    soFar = {};
    screensDone.clear();
    screensAsked = false;
    on = value;
}

bool isOn() { return on; }

PaintCheck result() {
    const std::lock_guard lock(mutex);
    return soFar;
}

void compare(cairo_surface_t* frame, cairo_surface_t* whole) {
    cairo_surface_flush(frame);
    const PixelRect unlike = differingArea(cairo_image_surface_get_data(frame), cairo_image_surface_get_stride(frame), whole);
    const std::lock_guard lock(mutex);
    ++soFar.frames;
    if (unlike.width == 0) return;
    ++soFar.unlike;
    soFar.lastUnlikeArea = unlike;
}

void askForScreens() {
    const std::lock_guard lock(mutex);
    screensDone.clear();
    screensAsked = true;
}

bool screenAsked(xcb_window_t window) {
    if (!on) return false;
    const std::lock_guard lock(mutex);
    return screensAsked && !screensDone.contains(window);
}

void compareScreen(xcb_connection_t* connection, xcb_window_t window, cairo_surface_t* whole) {
    const int width = cairo_image_surface_get_width(whole), height = cairo_image_surface_get_height(whole);
    xcb_get_image_reply_t* image =
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, static_cast<std::uint16_t>(width),
                                          static_cast<std::uint16_t>(height), ~0u),
                            nullptr);
    // Not viewable as it was read (hidden meanwhile), or not of its size yet: read again at the next turn.
    if (!image || xcb_get_image_data_length(image) < width * height * 4) {
        std::free(image);
        return;
    }
    const PixelRect unlike = differingArea(xcb_get_image_data(image), width * 4, whole);
    std::free(image);
    const std::lock_guard lock(mutex);
    screensDone.insert(window);
    ++soFar.screens;
    if (unlike.width == 0) return;
    ++soFar.screensUnlike;
    soFar.lastUnlikeScreenArea = unlike;
}

}  // namespace pulvan::x11::paint_check
