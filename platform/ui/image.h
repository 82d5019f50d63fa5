#pragma once
// Pixel images (PNG), drawn fitted to a frame.
#include "platform/ui/geometry.h"

#include <memory>
#include <string>

namespace pulvan::ui {

class Image {
public:
    virtual ~Image() = default;
    virtual Size pixelSize() const = 0;

    // Nothing when the file is missing or not a PNG.
    static std::shared_ptr<const Image> loadPNG(const std::string& path);
    // An image of the bundle's Contents/Resources by name ("1_midi" finds "1_midi.png").
    static std::shared_ptr<const Image> named(const std::string& name);
};

}  // namespace pulvan::ui
