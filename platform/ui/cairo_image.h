#pragma once
// The cairo side of an image, for the cairo back end.
#include "platform/ui/image.h"

#include <cairo.h>

namespace pulvan::ui {

class CairoImage final : public Image {
public:
    explicit CairoImage(cairo_surface_t* surface) : surface_(surface) {}  // takes the reference
    ~CairoImage() override { cairo_surface_destroy(surface_); }
    CairoImage(const CairoImage&) = delete;
    CairoImage& operator=(const CairoImage&) = delete;

    Size pixelSize() const override {
        return {static_cast<double>(cairo_image_surface_get_width(surface_)),
                static_cast<double>(cairo_image_surface_get_height(surface_))};
    }
    cairo_surface_t* surface() const { return surface_; }

private:
    cairo_surface_t* surface_;
};

}  // namespace pulvan::ui
