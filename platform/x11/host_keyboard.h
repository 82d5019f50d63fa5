#pragma once
// The keyboard rules of a window (keyboard_focus.h) with the server: the host's windows followed as the window
// manager takes them into frames, the events the rules take in, and their focus requests carried out.
#include "platform/x11/connection.h"
#include "platform/x11/keyboard_focus.h"
#include "platform/x11/xembed.h"

#include <xcb/xcb.h>

#include <vector>

namespace pulvan::x11 {

class HostKeyboard {
public:
    // `embedded`: the window is inside another program's window, whose keyboard it borrows.
    HostKeyboard(Connection& connection, xcb_window_t window, bool embedded);

    // The host's windows above the window, read again (at the start, whenever one is reparented and whenever the
    // window manager takes one on or lets it go).
    void follow();
    // Whether the window is one of those or the window itself.
    bool isWindowOrAncestor(xcb_window_t window) const;
    // Takes in an event of the focus, the active window or XEmbed; false for any other.
    bool handle(const xcb_generic_event_t& event);
    void pointerCrossed(bool entered, std::uint8_t detail, bool focusAbove) { rules_.pointerCrossed(entered, detail, focusAbove); }
    void pointerPressed(xcb_timestamp_t time) { rules_.pointerPressed(time); }
    void pointerReleased(xcb_timestamp_t time) { rules_.pointerReleased(time); }
    void releaseGoesElsewhere() { rules_.releaseGoesElsewhere(); }
    // A press or a key anywhere on the screen (the server's raw events, which name no window), heard only while a
    // field holds the keys or a press in the window may yet stand for one.
    void pressedAnywhere(std::uint32_t button, xcb_timestamp_t time);
    void keyedAnywhere(xcb_timestamp_t time) { rules_.actedAnywhere(time); }
    // A key the server sent the window; true when it is the host's, which the window then passes on.
    bool key(const xcb_key_press_event_t& event);
    // After the window took in a key, carried out what it asked and stopped asking for keys it no longer wants: a key
    // that ends the editing froze the keyboard by the window's grab, which goes on now. Called for every key, so that
    // no path leaves the keyboard frozen.
    void thaw(const xcb_key_press_event_t& event);
    void editingChanged(bool editing);
    // Before the window goes: keys it holds go back to the host.
    void closing();
    // Hears nothing more of the root and the host's windows: the window stays, but nobody reads its events.
    void stopListening();
    // Carries out what the rules ask for; after each turn's events.
    void carryOut();
    bool hasKeys() const { return rules_.hasKeys(); }
    bool keyIsDown() const { return rules_.keyIsDown(); }
    // The X focus is on the window itself, and not given back since.
    bool holdsFocus() const { return rules_.holdsFocus() && !gaveBack_; }

private:
    bool isInside(xcb_window_t window, xcb_window_t ancestor) const;
    bool pointerIsIn(xcb_window_t window) const;
    bool pointerIsOverAncestors() const;
    bool pointerIsOverTheHostsPart() const;
    void giveTo(xcb_window_t to, xcb_timestamp_t time);
    void offerTakeFocus(xcb_timestamp_t time);
    void passOn(const xcb_key_press_event_t& event);
    // The root's raw events wanted now.
    void selectRawEvents();
    // While a field holds the keys, a press of a key that ends the editing freezes the keyboard until the window
    // has answered it.
    void grabEndingKeys();
    void letKeyboardGo();
    bool isEndingKey(xcb_keycode_t keycode) const;
    void selectRaw(std::uint32_t events);

    Connection& connection_;
    xcb_window_t window_;
    bool embedded_;
    std::vector<xcb_window_t> ancestors_;  // the parent first
    std::uint32_t rawEvents_ = 0;
    std::vector<xcb_keycode_t> endingKeys_;  // kept after the grab goes: a press it froze may still be unread
    bool grabbing_ = false;
    bool gaveBack_ = false;
    // The whole keyboard, from a key that ended the editing until it is up.
    bool holdingKeyboard_ = false;
    KeyboardFocus rules_;
    XEmbedClient xembed_;
};

}  // namespace pulvan::x11
