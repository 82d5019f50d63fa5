#pragma once
// One editor's connection to the X server, over XCB: thread-safe and reporting errors per request, so an
// editor inside a host never touches a process-wide Xlib error handler while the host's thread uses Xlib.
#include "platform/ui/geometry.h"

#include <xcb/xcb.h>

#include <memory>
#include <optional>
#include <string>

namespace pulvan::x11 {

struct Atoms {
    xcb_atom_t wmProtocols = 0, wmDeleteWindow = 0, netWmName = 0, utf8String = 0, netWorkArea = 0, netWmPid = 0, wmState = 0,
               wmTakeFocus = 0, netActiveWindow = 0, timestamp = 0, netWmSyncRequest = 0, netWmSyncRequestCounter = 0;
};

class Connection {
public:
    // Nothing when no display answers.
    static std::unique_ptr<Connection> open();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    xcb_connection_t* get() const { return connection_; }
    xcb_screen_t* screen() const { return screen_; }
    xcb_visualtype_t* visual() const { return visual_; }
    const Atoms& atoms() const { return atoms_; }
    int fileDescriptor() const { return xcb_get_file_descriptor(connection_); }
    bool hasError() const { return xcb_connection_has_error(connection_) != 0; }
    // The major opcode of XInput 2.2 events; 0 when the server has no XInput 2.2.
    std::uint8_t xinputOpcode() const { return xinputOpcode_; }

    // Device pixels per point for a top-level window: Xft.dpi / 96, 1 when it is not set.
    double resourceDisplayScale() const;
    // The first desktop's work area in pixels (_NET_WORKAREA), else the whole screen.
    ui::Rect workAreaPixels() const;
    // Whether the window exists and, if so, its size in pixels (a request checked on its own).
    std::optional<ui::Size> windowSize(xcb_window_t window) const;
    // The window's parent; none for a root window or one that is gone.
    xcb_window_t parentOf(xcb_window_t window) const;
    // Where the server sends the keys now: a window, or PointerRoot or None.
    xcb_window_t inputFocus() const;
    // A window's property of any type as bytes; none when it is not set or the window is gone.
    std::optional<std::string> property(xcb_window_t window, xcb_atom_t property) const;

private:
    Connection(xcb_connection_t* connection, int screenNumber);

    xcb_connection_t* connection_;
    xcb_screen_t* screen_ = nullptr;
    xcb_visualtype_t* visual_ = nullptr;
    Atoms atoms_;
    std::uint8_t xinputOpcode_ = 0;
};

// Xft.dpi from the text of the RESOURCE_MANAGER property, as device pixels per point; 1 when absent or absurd.
double displayScaleFromResources(const std::string& resources);

}  // namespace pulvan::x11
