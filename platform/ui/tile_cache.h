#pragma once
// The pixels of repeated pictures (textures), drawn once for each device scale and kept while in use.
#include "platform/ui/display_list.h"

#include <cairo.h>

namespace pulvan::ui {

// Fills the area of the tiled picture with copies of its pixels, from the whole device pixel nearest its
// corner, when the context maps points to pixels without rotation; false when it does not.
bool fillWithTiles(cairo_t* context, const draw::Tiled& tiled);

}  // namespace pulvan::ui
