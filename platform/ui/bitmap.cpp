#include "platform/ui/bitmap.h"

#include "platform/ui/cairo_painter.h"

#include <cstdint>
#include <cstdlib>
#include <utility>

namespace pulvan::ui {

namespace {

std::uint32_t pixelAt(cairo_surface_t* surface, int x, int y) {
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

}  // namespace

Bitmap::Bitmap(int widthPixels, int heightPixels)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(0, widthPixels), std::max(0, heightPixels))) {}

Bitmap::~Bitmap() {
    if (surface_) cairo_surface_destroy(surface_);
}

Bitmap::Bitmap(Bitmap&& other) noexcept : surface_(std::exchange(other.surface_, nullptr)) {}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    std::swap(surface_, other.surface_);
    return *this;
}

int Bitmap::width() const { return surface_ ? cairo_image_surface_get_width(surface_) : 0; }
int Bitmap::height() const { return surface_ ? cairo_image_surface_get_height(surface_) : 0; }

void Bitmap::render(const DisplayList& list, double scale, Color background) {
    cairo_t* context = cairo_create(surface_);
    cairo_set_operator(context, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(context, background.red, background.green, background.blue, background.alpha);
    cairo_paint(context);
    cairo_set_operator(context, CAIRO_OPERATOR_OVER);
    cairo_scale(context, scale, scale);
    paint(context, list);
    cairo_destroy(context);
    cairo_surface_flush(surface_);
}

Color Bitmap::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width() || y >= height()) return Color::clear();
    const std::uint32_t p = pixelAt(surface_, x, y);
    const double alpha = (p >> 24) / 255.0;
    if (alpha == 0) return Color::clear();
    const auto channel = [&](int shift) { return std::min(1.0, ((p >> shift) & 0xFF) / 255.0 / alpha); };
    return {channel(16), channel(8), channel(0), alpha};
}

bool Bitmap::writePNG(const std::string& path) const { return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS; }

std::unique_ptr<Bitmap> Bitmap::readPNG(const std::string& path) {
    cairo_surface_t* loaded = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(loaded) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(loaded);
        return nullptr;
    }
    // PNGs without alpha load as RGB24: redraw into ARGB so pixels compare like for like.
    auto bitmap = std::make_unique<Bitmap>(cairo_image_surface_get_width(loaded), cairo_image_surface_get_height(loaded));
    cairo_t* context = cairo_create(bitmap->surface_);
    cairo_set_operator(context, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(context, loaded, 0, 0);
    cairo_paint(context);
    cairo_destroy(context);
    cairo_surface_destroy(loaded);
    cairo_surface_flush(bitmap->surface_);
    return bitmap;
}

Bitmap::Difference Bitmap::compare(const Bitmap& other, int channelTolerance) const {
    Difference difference;
    if (width() != other.width() || height() != other.height()) {
        difference.sizesDiffer = true;
        return difference;
    }
    // Premultiplied channels: a colour under near-zero alpha hardly shows, so it hardly counts.
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x) {
            const std::uint32_t a = pixelAt(surface_, x, y), b = pixelAt(other.surface_, x, y);
            int largest = 0;
            for (int shift = 0; shift < 32; shift += 8)
                largest = std::max(largest, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
            difference.maxChannelDelta = std::max(difference.maxChannelDelta, largest);
            if (largest > channelTolerance) ++difference.differingPixels;
        }
    }
    return difference;
}

}  // namespace pulvan::ui
