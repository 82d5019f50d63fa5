#pragma once
// Tests: every window of the process also paints the whole frame of the same state after each paint from damage, and
// the frames whose picture differs from it are counted. Off, it costs a flag's test per paint.
#include "platform/x11/presenter.h"

#include <cairo.h>

namespace pulvan::x11 {

struct PaintCheck {
    int frames = 0;
    int unlike = 0;
    PixelRect lastUnlikeArea;  // around the pixels that differed, in the last frame unlike its whole paint
};

namespace paint_check {
// Turning it on or off starts the count again.
void turn(bool on);
bool isOn();
PaintCheck result();
// A frame as painted from damage, beside the whole paint of the same state; images of one size.
void compare(cairo_surface_t* frame, cairo_surface_t* whole);
}  // namespace paint_check

}  // namespace pulvan::x11
