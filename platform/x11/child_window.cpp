#include "platform/x11/child_window.h"

#include <X11/Xlib.h>

#include <algorithm>

namespace pulvan::x11 {
namespace {

::Display* asDisplay(void* display) { return static_cast<::Display*>(display); }

// A bad parent id must fail the creation, not end the process through Xlib's
// default error handler; errors are caught around the calls that can fail.
int lastError = 0;
int recordError(::Display*, XErrorEvent* event) {
    lastError = event->error_code;
    return 0;
}

bool windowSize(::Display* display, Window window, WindowSize& size) {
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth)) return false;
    size = {static_cast<int>(width), static_cast<int>(height)};
    return true;
}

}  // namespace

void ChildWindow::DisplayCloser::operator()(void* display) const {
    if (display) XCloseDisplay(asDisplay(display));
}

ChildWindow::ChildWindow(std::unique_ptr<void, DisplayCloser> display, unsigned long parent, unsigned long window)
    : display_(std::move(display)), parent_(parent), window_(window) {}

std::unique_ptr<ChildWindow> ChildWindow::create(unsigned long parentWindow, WindowSize size) {
    std::unique_ptr<void, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display || parentWindow == 0) return nullptr;
    ::Display* dpy = asDisplay(display.get());

    XSync(dpy, False);
    lastError = 0;
    auto* previousHandler = XSetErrorHandler(recordError);
    WindowSize parentSize;
    const bool parentExists = windowSize(dpy, parentWindow, parentSize);
    Window window = 0;
    if (parentExists) {
        XSetWindowAttributes attributes{};
        attributes.background_pixel = BlackPixel(dpy, DefaultScreen(dpy));
        attributes.event_mask = ExposureMask | StructureNotifyMask;
        window = XCreateWindow(dpy, parentWindow, 0, 0, static_cast<unsigned>(std::max(size.width, 1)),
                               static_cast<unsigned>(std::max(size.height, 1)), 0, CopyFromParent, InputOutput,
                               CopyFromParent, CWBackPixel | CWEventMask, &attributes);
        XMapWindow(dpy, window);
        XSync(dpy, False);
    }
    XSetErrorHandler(previousHandler);
    if (!parentExists || lastError != 0 || window == 0) return nullptr;
    return std::unique_ptr<ChildWindow>(new ChildWindow(std::move(display), parentWindow, window));
}

ChildWindow::~ChildWindow() {
    ::Display* dpy = asDisplay(display_.get());
    XDestroyWindow(dpy, window_);
    XSync(dpy, False);
}

void ChildWindow::resize(WindowSize size) {
    ::Display* dpy = asDisplay(display_.get());
    XResizeWindow(dpy, window_, static_cast<unsigned>(std::max(size.width, 1)),
                  static_cast<unsigned>(std::max(size.height, 1)));
    XSync(dpy, False);
}

void ChildWindow::fillParent() {
    WindowSize parentSize;
    if (windowSize(asDisplay(display_.get()), parent_, parentSize)) resize(parentSize);
}

WindowSize ChildWindow::size() const {
    WindowSize current;
    windowSize(asDisplay(display_.get()), window_, current);
    return current;
}

}  // namespace pulvan::x11
