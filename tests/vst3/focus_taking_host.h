#pragma once
// A host's top-level window as GTK hosts make it, for tests under a window manager: the window takes part
// in WM_TAKE_FOCUS, and whenever the window manager offers the focus (on every click into the window)
// the host gives it to a small child window of its own, its focus window, which leaves the plug-in's
// window a FocusOut right after the press. A window manager may also focus the top-level itself (icewm),
// and may do so after the host's answer, which the server then refuses.
#include "tests/platform/x11/host_window.h"

#include <utility>

namespace kez::test {

class FocusTakingHost : public pulvan::x11::test::HostWindow {
public:
    virtual ~FocusTakingHost() = default;
    FocusTakingHost(unsigned width, unsigned height, const char* title = "Focus-taking host")
        : HostWindow(width, height, [title](Display* display, Window window) {
              XStoreName(display, window, title);
              XWMHints hints{};
              hints.flags = InputHint;
              hints.input = True;
              XSetWMHints(display, window, &hints);
              Atom takeFocus = XInternAtom(display, "WM_TAKE_FOCUS", False);
              XSetWMProtocols(display, window, &takeFocus, 1);
          }) {
        if (!open()) return;
        takeFocus_ = XInternAtom(display(), "WM_TAKE_FOCUS", False);
        protocols_ = XInternAtom(display(), "WM_PROTOCOLS", False);
        focusWindow_ = XCreateSimpleWindow(display(), window(), -1, -1, 1, 1, 0, 0, 0);
        XMapWindow(display(), focusWindow_);
        XSelectInput(display(), window(), FocusChangeMask);
        XSync(display(), False);
    }

    Window focusWindow() const { return focusWindow_; }
    int focusTakes() const { return focusTakes_; }
    // The window manager's offers of the focus: WM_TAKE_FOCUS, or the focus put on the top-level itself.
    int offers() const { return focusTakes_ + topLevelFocused_; }
    // Whether the keys go to the host's own windows: its focus window, or its top-level itself, and no other client
    // grabs the keyboard (a window manager does for a click on a title bar and for Alt+Tab, until it has done).
    bool holdsKeys() const { return keysGoTo(window()) || keysGoTo(focusWindow_); }
    // Whether the keys go to this window: it has the focus, and no other client grabs the keyboard.
    bool keysGoTo(Window w) const { return w && !grabbed_ && focus() == w; }
    // The host lets its focus window go, as a toolkit may while the plug-in has the keys.
    void dropFocusWindow() {
        XDestroyWindow(display(), std::exchange(focusWindow_, 0));
        XSync(display(), False);
    }
    void hide() {
        XUnmapWindow(display(), window());
        XSync(display(), False);
    }
    // Hidden, and let go by the window manager: in no frame of its own.
    bool withdrawn() const { return !viewable() && parentOf(window()) == DefaultRootWindow(display()); }
    void show() {
        XMapWindow(display(), window());
        XSync(display(), False);
    }
    bool viewable() const {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display(), window(), &attributes) && attributes.map_state == IsViewable;
    }
    // The plug-in's window: the host's other child.
    Window pluginWindow() const {
        Window root = 0, parent = 0, *children = nullptr, found = 0;
        unsigned count = 0;
        if (XQueryTree(display(), window(), &root, &parent, &children, &count))
            for (unsigned i = 0; i < count; ++i)
                if (children[i] != focusWindow_) found = children[i];
        if (children) XFree(children);
        return found;
    }
    Window focus() const {
        Window focused = 0;
        int revert = 0;
        XGetInputFocus(display(), &focused, &revert);
        return focused;
    }

    // The host's UI thread is busy (a repaint, say): it reads its events only once it is free again, all at once.
    void setBusy(bool busy) { busy_ = busy; }
    // The host's own events: what its UI thread does between the plug-in's calls.
    void handleEvents() {
        if (busy_) return;
        while (XPending(display())) {
            XEvent e;
            XNextEvent(display(), &e);
            if (e.type == ClientMessage && e.xclient.message_type == protocols_ && static_cast<Atom>(e.xclient.data.l[0]) == takeFocus_) {
                // Without its focus window it has nowhere to take the focus to.
                if (focusWindow_) XSetInputFocus(display(), focusWindow_, RevertToParent, static_cast<Time>(e.xclient.data.l[1]));
                ++focusTakes_;
                continue;
            }
            const bool onTopLevel = e.xfocus.window == window() && e.xfocus.mode == NotifyNormal;
            if (e.type == FocusIn && onTopLevel && (e.xfocus.detail == NotifyNonlinear || e.xfocus.detail == NotifyInferior))
                ++topLevelFocused_;
            if (e.xfocus.window == window() && (e.type == FocusIn || e.type == FocusOut) && e.xfocus.mode != NotifyWhileGrabbed)
                grabbed_ = e.type == FocusOut ? grabbed_ || e.xfocus.mode == NotifyGrab : false;
            handleOther(e);
        }
        afterEvents();
        XSync(display(), False);
    }

protected:
    virtual void handleOther(XEvent&) {}
    // What the host does later of its own accord, once it has read its events.
    virtual void afterEvents() {}

private:
    Window focusWindow_ = 0;
    Atom takeFocus_ = 0, protocols_ = 0;
    int focusTakes_ = 0, topLevelFocused_ = 0;
    bool grabbed_ = false, busy_ = false;
};

}  // namespace kez::test
