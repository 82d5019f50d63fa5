#pragma once
// A window's picture kept on the client side: frames are drawn into an image in this process and only
// the damaged rectangles are put on the window, through shared memory where the server offers it. The
// server then does no drawing of its own, only copies, and exposures are served from the same image.
#include <cairo.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace pulvan::x11 {

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

class Presenter {
public:
    Presenter(xcb_connection_t* connection, xcb_window_t window, xcb_gcontext_t gc, std::uint8_t depth);
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // The image to draw the next frame into, of the window's size; ready to draw (the server has finished
    // reading what was last put). Its content survives between frames.
    cairo_surface_t* image(int width, int height);
    // Whether the image holds a whole frame to serve exposures from.
    bool hasFrame() const { return surface_ && framed_; }
    void setFramed() { framed_ = true; }
    // Puts those parts of the image on the window.
    void put(const std::vector<PixelRect>& rects);
    void release();
    bool usesSharedMemory() const { return shmSegment_ != 0; }

private:
    // A 32-bit window's alpha comes from the image: every frame is painted opaque.
    cairo_format_t format() const { return depth_ == 32 ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24; }
    bool attachSharedMemory(int width, int height);
    void putPlain(const PixelRect& r);
    void waitForServer();

    xcb_connection_t* connection_;
    xcb_window_t window_;
    xcb_gcontext_t gc_;
    std::uint8_t depth_;
    bool shmOffered_ = false;
    std::uint32_t shmSegment_ = 0;
    int shmId_ = -1;
    void* shmAddress_ = nullptr;
    cairo_surface_t* surface_ = nullptr;
    bool framed_ = false;
    // Sent after a put from shared memory: once answered, the server no longer reads the image.
    std::optional<xcb_get_input_focus_cookie_t> pending_;
    std::vector<std::uint8_t> rows_;
};

}  // namespace pulvan::x11
