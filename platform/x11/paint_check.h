#pragma once
// Tests: every window of the process also paints the whole frame of the same state at the same instant after each
// paint from damage, and the frames whose picture differs from it are counted. Asked to, a window also reads its
// pixels back from the screen and compares them with a whole paint. Off, it costs a flag's test per paint.
#include "platform/x11/presenter.h"

#include <cairo.h>
#include <xcb/xcb.h>

namespace pulvan::x11 {

struct PaintCheck {
    int frames = 0;
    int unlike = 0;
    PixelRect lastUnlikeArea;  // around the pixels that differed, in the last frame unlike its whole paint
    int screens = 0;           // pictures read back from the screen
    int screensUnlike = 0;
    PixelRect lastUnlikeScreenArea;
};

namespace paint_check {
// Turning it on or off starts the count again.
void turn(bool on);
bool isOn();
PaintCheck result();
// A frame as painted from damage, beside the whole paint of the same state and instant; images of one size.
void compare(cairo_surface_t* frame, cairo_surface_t* whole);
// Asks every window that shows a picture to compare the screen's pixels of it with a whole paint, once.
void askForScreens();
bool screenAsked(xcb_window_t window);
// The window's pixels read back from the screen, beside a whole paint.
void compareScreen(xcb_connection_t* connection, xcb_window_t window, cairo_surface_t* whole);
}  // namespace paint_check

}  // namespace pulvan::x11
