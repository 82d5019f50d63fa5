#pragma once
// The cairo back end: executes a display list on a cairo context whose user space is points.
#include "platform/ui/display_list.h"

#include <cairo.h>

namespace pulvan::ui {

// Draws the list; the caller has set the context's transform from points to device pixels and any clip.
void paint(cairo_t* context, const DisplayList& list);

}  // namespace pulvan::ui
