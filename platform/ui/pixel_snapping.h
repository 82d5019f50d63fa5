#pragma once
// Hairlines on whole device pixels: a one-pixel border that straddles two rows shows as two faint ones.
#include "platform/ui/path.h"

#include <cairo.h>

#include <optional>

namespace pulvan::ui {

// The path moved and stretched by under a pixel so that a stroke of this width (user space), when it is a
// hairline (at most 2.5 device pixels), covers whole device pixels just inside the path's outer edges. None
// when the stroke is no hairline or the context turns.
std::optional<Path> snappedHairline(const Path& path, double width, const cairo_matrix_t& userToDevice);
// A straight-edged shape thinner than 1.5 device pixels across made one whole pixel thick; none otherwise.
std::optional<Path> snappedThinFill(const Path& path, const cairo_matrix_t& userToDevice);

}  // namespace pulvan::ui
