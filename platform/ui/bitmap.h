#pragma once
// Offscreen pixels: what tests and benchmarks render into, write as PNG and compare with golden images.
#include "platform/ui/display_list.h"

#include <cairo.h>

#include <memory>
#include <string>

namespace pulvan::ui {

class Bitmap {
public:
    // A transparent ARGB image of the size in device pixels.
    Bitmap(int widthPixels, int heightPixels);
    ~Bitmap();
    Bitmap(Bitmap&&) noexcept;
    Bitmap& operator=(Bitmap&&) noexcept;

    int width() const;
    int height() const;
    cairo_surface_t* surface() const { return surface_; }

    // Draws the list with points scaled to pixels by scale.
    void render(const DisplayList& list, double scale, Color background = Color::clear());
    // Straight (unpremultiplied) RGBA of one pixel.
    Color pixel(int x, int y) const;

    bool writePNG(const std::string& path) const;
    static std::unique_ptr<Bitmap> readPNG(const std::string& path);

    struct Difference {
        int differingPixels = 0;  // pixels with a channel further apart than the tolerance
        int maxChannelDelta = 0;  // 0...255
        bool sizesDiffer = false;
    };
    Difference compare(const Bitmap& other, int channelTolerance) const;

private:
    explicit Bitmap(cairo_surface_t* surface) : surface_(surface) {}
    cairo_surface_t* surface_ = nullptr;
};

}  // namespace pulvan::ui
