#pragma once
// The host's side of an embedded window in tests: a connection of its own and
// a top-level window that plug-in windows go into.
#include <chrono>
#include <functional>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace pulvan::x11::test {

class HostWindow {
public:
    // `beforeMapping` sets what a window manager reads when it takes the window on.
    HostWindow(unsigned width, unsigned height, const std::function<void(Display*, Window)>& beforeMapping = {}) {
        // An X server that lost its last client resets itself and refuses
        // connections meanwhile; the previous test may have been that client.
        for (int attempt = 0; attempt < 100 && !display_; ++attempt) {
            display_ = XOpenDisplay(nullptr);
            if (!display_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!display_) return;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, width, height, 0, 0, 0);
        if (beforeMapping) beforeMapping(display_, window_);
        XMapWindow(display_, window_);
        XSync(display_, False);
    }
    ~HostWindow() {
        if (!display_) return;
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    bool open() const { return display_ != nullptr; }
    Display* display() const { return display_; }
    Window window() const { return window_; }
    void* handle() const { return reinterpret_cast<void*>(static_cast<unsigned long>(window_)); }

    unsigned childCount() const {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display_, window_, &root, &parent, &children, &count);
        if (children) XFree(children);
        return count;
    }

    Window parentOf(unsigned long window) const {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display_, window, &root, &parent, &children, &count)) return 0;
        if (children) XFree(children);
        return parent;
    }

    // The size of the window inside this one (the plug-in's); zero when there is none.
    struct Size {
        unsigned width = 0, height = 0;
    };
    Size childSize() const {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        Size size;
        if (XQueryTree(display_, window_, &root, &parent, &children, &count) && count > 0) {
            int x = 0, y = 0;
            unsigned border = 0, depth = 0;
            XGetGeometry(display_, children[0], &root, &x, &y, &size.width, &size.height, &border, &depth);
        }
        if (children) XFree(children);
        return size;
    }

    // 0xRRGGBB of one pixel of this window as the screen shows it.
    unsigned long pixel(int x, int y) const {
        XImage* image = XGetImage(display_, window_, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return 0;
        const unsigned long value = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return value;
    }

    void move(int x, int y) {
        XMoveWindow(display_, window_, x, y);
        XSync(display_, False);
    }

    void resize(unsigned width, unsigned height) {
        XResizeWindow(display_, window_, width, height);
        XSync(display_, False);
    }

private:
    Display* display_ = nullptr;
    Window window_ = 0;
};

}  // namespace pulvan::x11::test
