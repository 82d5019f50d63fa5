#pragma once
// The visual an editor's window is made with. A window of another depth than its parent reaches the screen only
// as the server copies it into the parent, after which the parent's own painting hides it until the window next
// changes: a host's window of 32 bits, with alpha, would show a blank editor. There the window takes the parent's
// depth and visual; elsewhere the screen's own, as a parent of another visual (a GL one) has no colormap to lend.
#include <xcb/xcb.h>

#include <cstdint>

namespace pulvan::x11 {

struct WindowVisual {
    xcb_visualid_t id = 0;
    std::uint8_t depth = 0;
    // Pixels as cairo's ARGB32 images lay them out, in a colormap of the window's own.
    bool alpha = false;
};

WindowVisual visualFor(xcb_connection_t* c, const xcb_screen_t* screen, xcb_window_t parent);

}  // namespace pulvan::x11
