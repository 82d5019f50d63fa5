#pragma once
// A host that draws its plug-in window's title bar itself, inside its top-level, as JUCE's plug-in windows do: the
// window manager focuses the top-level for a press there (or offers it WM_TAKE_FOCUS, which the host answers with its
// focus window), and a few milliseconds later the host, answering the press, moves the focus to its focus window
// itself, at no particular time: after the plug-in's window took it, as a host busy for those milliseconds does. As
// the press comes, the host also asks the window manager to activate its window (_NET_ACTIVE_WINDOW, as JUCE brings a
// window clicked to the front), which some managers answer by focusing it once more. The editor goes into a window
// below the title bar. The host acts on every key that reaches its own windows.
#include "tests/vst3/focus_taking_host.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <X11/keysym.h>

namespace kez::test {

class OwnTitleBarHost : public FocusTakingHost {
public:
    static constexpr unsigned kTitleBarHeight = 24;

    OwnTitleBarHost(unsigned width, unsigned height, const char* title) : FocusTakingHost(width, height + kTitleBarHeight, title) {
        if (!open()) return;
        titleBar_ = XCreateSimpleWindow(display(), window(), 0, 0, width, kTitleBarHeight, 0, 0, 0x303030);
        XSelectInput(display(), titleBar_, ButtonPressMask);
        content_ = XCreateSimpleWindow(display(), window(), 0, kTitleBarHeight, width, height, 0, 0, 0);
        XSelectInput(display(), focusWindow(), KeyPressMask | KeyReleaseMask);
        XSelectInput(display(), window(), FocusChangeMask | KeyPressMask | KeyReleaseMask);
        XMapWindow(display(), titleBar_);
        XMapWindow(display(), content_);
        XSync(display(), False);
    }

    void* contentHandle() const { return reinterpret_cast<void*>(static_cast<unsigned long>(content_)); }
    Window editorWindow() const {
        Window root = 0, parent = 0, *children = nullptr, found = 0;
        unsigned count = 0;
        if (XQueryTree(display(), content_, &root, &parent, &children, &count) && count > 0) found = children[0];
        if (children) XFree(children);
        return found;
    }
    // How many times the host moved the focus in answer to a press on its title bar.
    int focusMoves() const { return focusMoves_; }
    const std::vector<std::string>& actedOn() const { return actedOn_; }

protected:
    void handleOther(XEvent& e) override {
        if (e.type == ButtonPress && e.xbutton.window == titleBar_) {
            pressedAt_ = std::chrono::steady_clock::now();
            askToBeActivated(e.xbutton.time);
        }
        if (e.type == KeyPress) {
            const char* name = XKeysymToString(XLookupKeysym(&e.xkey, 0));
            actedOn_.push_back(name ? name : "");
        }
    }
    void afterEvents() override {
        const auto now = std::chrono::steady_clock::now();
        if (!pressedAt_ || now < *pressedAt_ + std::chrono::milliseconds(3)) return;
        if (focus() != editorWindow() && now < *pressedAt_ + std::chrono::milliseconds(500)) return;
        pressedAt_.reset();
        XSetInputFocus(display(), focusWindow(), RevertToParent, CurrentTime);
        ++focusMoves_;
    }

private:
    void askToBeActivated(Time time) {
        XEvent message{};
        message.xclient.type = ClientMessage;
        message.xclient.window = window();
        message.xclient.message_type = XInternAtom(display(), "_NET_ACTIVE_WINDOW", False);
        message.xclient.format = 32;
        message.xclient.data.l[0] = 2;  // from a pager, as JUCE says
        message.xclient.data.l[1] = static_cast<long>(time);
        XSendEvent(display(), DefaultRootWindow(display()), False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
    }

    Window titleBar_ = 0, content_ = 0;
    std::optional<std::chrono::steady_clock::time_point> pressedAt_;
    int focusMoves_ = 0;
    std::vector<std::string> actedOn_;
};

}  // namespace kez::test
