#pragma once
// A plug-in window as a GTK host makes it, for tests under a window manager: a top-level of its own that keeps
// the X focus on its focus window, with a socket inside that the plug-in's window goes into. The host acts on
// the keys bound to its shortcuts. Over XEmbed, as GTK, it forwards the others to the plug-in with XSendEvent
// while the socket has its focus, tells the plug-in when the top-level is activated and when the socket takes or
// loses the focus, and gives the socket the focus when the plug-in asks; without, as a plain Xlib host, it says
// and forwards nothing. As GTK gives a window's first widget that takes the focus the focus when it shows, the socket
// has it from the start. It may have a text entry of its own below the socket: a click there tells the plug-in its
// socket lost the focus (FOCUS_OUT) and leaves the X focus where it is, as GTK; without XEmbed it moves the X focus
// to the top-level.
#include "tests/vst3/focus_taking_host.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <X11/keysym.h>

namespace kez::test {

class SocketHost : public FocusTakingHost {
public:
    static constexpr unsigned kEntryHeight = 30;

    SocketHost(unsigned width, unsigned height, const char* title, bool xembed = true, bool entry = false)
        : FocusTakingHost(width, height + (entry ? kEntryHeight : 0), title),
          speaksXEmbed_(xembed) {
        if (!open()) return;
        xembed_ = XInternAtom(display(), "_XEMBED", False);
        socket_ = XCreateSimpleWindow(display(), window(), 0, 0, width, height, 0, 0, 0);
        XSelectInput(display(), socket_, SubstructureNotifyMask);
        if (entry) {
            entry_ = XCreateSimpleWindow(display(), window(), 0, static_cast<int>(height), width, kEntryHeight, 0, 0, 0xFFFFFF);
            XSelectInput(display(), entry_, ButtonPressMask);
            XMapWindow(display(), entry_);
        }
        XSelectInput(display(), focusWindow(), KeyPressMask | KeyReleaseMask);
        XSelectInput(display(), window(), FocusChangeMask | KeyPressMask | KeyReleaseMask);
        XMapWindow(display(), socket_);
        XSync(display(), False);
    }

    void* socketHandle() const { return reinterpret_cast<void*>(static_cast<unsigned long>(socket_)); }
    // As GTK 2 on a loaded machine: each word waits for a round trip, and the next comes this long after it.
    void setWordGap(std::chrono::milliseconds gap) { wordGap_ = gap; }
    Window plug() const { return plug_; }
    // What the host did with the keys that reached it: the names of those it acted on.
    const std::vector<std::string>& actedOn() const { return actedOn_; }
    // What was typed into the host's own entry.
    const std::string& entryText() const { return entryText_; }

protected:
    void handleOther(XEvent& e) override {
        switch (e.type) {
            case MapNotify:
                if (e.xmap.event == socket_ && !plug_) embed(e.xmap.window);
                break;
            case FocusIn:
            case FocusOut:
                // As GDK: the focus anywhere in the top-level, the plug-in's window included, makes it active, and a
                // keyboard grab (the window manager's Alt+Tab) counts as the focus going to the grab window.
                if (e.xfocus.window == window() && e.xfocus.mode != NotifyWhileGrabbed && e.xfocus.detail != NotifyPointer &&
                    e.xfocus.detail != NotifyInferior)
                    activate(e.type == FocusIn);
                break;
            case ClientMessage:
                if (speaksXEmbed_ && e.xclient.message_type == xembed_ && e.xclient.data.l[1] == kRequestFocus && !socketFocused_) {
                    socketFocused_ = true;
                    entryFocused_ = false;
                    if (active_) send(kFocusIn);
                }
                break;
            case ButtonPress:
                if (e.xbutton.window != entry_) break;
                entryFocused_ = true;
                if (socketFocused_) send(kFocusOut);
                socketFocused_ = false;
                if (!speaksXEmbed_) XSetInputFocus(display(), window(), RevertToParent, e.xbutton.time);
                break;
            case KeyPress:
            case KeyRelease: key(e.xkey); break;
            default: break;
        }
    }

private:
    enum : long { kEmbeddedNotify = 0, kWindowActivate = 1, kWindowDeactivate = 2, kRequestFocus = 3, kFocusIn = 4, kFocusOut = 5 };

    void embed(Window plug) {
        plug_ = plug;
        send(kEmbeddedNotify, static_cast<long>(socket_));
        if (active_ && socketFocused_) send(kFocusIn);
        if (active_) send(kWindowActivate);
    }
    // In GTK's order: the socket's focus first, then the window's activation.
    void activate(bool active) {
        if (active == active_) return;
        active_ = active;
        if (socketFocused_) send(active ? kFocusIn : kFocusOut);
        send(active ? kWindowActivate : kWindowDeactivate);
    }
    void key(XKeyEvent& e) {
        const KeySym sym = XLookupKeysym(&e, 0);
        const char* bound[] = {"space", "Return", "a", "l", "q"};
        const std::string name = XKeysymToString(sym) ? XKeysymToString(sym) : "";
        // Its entry takes the letters it does not bind that reach its own windows.
        if (entryFocused_ && name.size() == 1 && holdsKeys() && std::find(std::begin(bound), std::end(bound), name) == std::end(bound)) {
            if (e.type == KeyPress) entryText_ += name;
            return;
        }
        if (std::find(std::begin(bound), std::end(bound), name) != std::end(bound)) {
            if (e.type == KeyPress) actedOn_.push_back(name);
        } else if (socketFocused_ && plug_) {
            e.window = plug_;
            XSendEvent(display(), plug_, False, NoEventMask, reinterpret_cast<XEvent*>(&e));
        }
    }
    void send(long message, long detail = 0) {
        if (!plug_ || !speaksXEmbed_) return;
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = plug_;
        e.xclient.message_type = xembed_;
        e.xclient.format = 32;
        e.xclient.data.l[0] = CurrentTime;
        e.xclient.data.l[1] = message;
        e.xclient.data.l[3] = detail;
        XSendEvent(display(), plug_, False, NoEventMask, &e);
        if (wordGap_ == std::chrono::milliseconds::zero()) return;
        XSync(display(), False);
        std::this_thread::sleep_for(wordGap_);
    }

    bool speaksXEmbed_;
    std::chrono::milliseconds wordGap_{0};
    Atom xembed_ = 0;
    Window socket_ = 0, plug_ = 0, entry_ = 0;
    bool active_ = false, socketFocused_ = true, entryFocused_ = false;
    std::vector<std::string> actedOn_;
    std::string entryText_;
};

}  // namespace kez::test
