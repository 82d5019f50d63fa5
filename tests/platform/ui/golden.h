#pragma once
// Golden images: a rendered bitmap against tests/platform/ui/golden/<name>.png.
// PULVAN_UPDATE_GOLDEN=1 writes the rendered images as the new golden ones.
#include "platform/ui/bitmap.h"

#include <string>

namespace pulvan::ui {

struct GoldenTolerance {
    int channelDelta = 2;     // per channel, 0...255, premultiplied
    int differingPixels = 8;  // pixels allowed past channelDelta
};

// Adds a test failure when the bitmap differs; the rendered image is then kept in the build tree.
void expectMatchesGolden(const Bitmap& bitmap, const std::string& name, GoldenTolerance tolerance = {});

}  // namespace pulvan::ui
