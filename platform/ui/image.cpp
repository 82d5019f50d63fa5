#include "platform/ui/cairo_image.h"
#include "platform/ui/resources.h"

namespace pulvan::ui {

std::shared_ptr<const Image> Image::loadPNG(const std::string& path) {
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::make_shared<const CairoImage>(surface);
}

std::shared_ptr<const Image> Image::named(const std::string& name) {
    const bool hasExtension = name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0;
    return loadPNG(resourcesDirectory() + "/" + name + (hasExtension ? "" : ".png"));
}

}  // namespace pulvan::ui
