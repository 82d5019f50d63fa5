#pragma once
// Keys typed over an editor whose host's keys follow the pointer into it: with no name being typed, space over the
// editor reaches the host; a name typed takes every key, the release of the Return that saves it too; then the keys
// are the host's again.
#include <gtest/gtest.h>

#include "tests/platform/x11/x_client.h"

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon.h>

#include <functional>
#include <map>
#include <string>

namespace pulvan::x11::test {

struct ScreenPoint {
    int x = 0, y = 0;
};

// The keys a host's window got, by keycode.
struct HostKeys {
    std::map<xcb_keycode_t, int> presses, releases;
};

// What differs between hosts: where the editor is on the screen, how the editor shows the keyboard is in its field,
// how the test waits while handling the host's events, and where the host keeps its focus.
struct KeysOverTheEditorSetup {
    XClient& user;  // sends the input and reads the focus
    ScreenPoint overNoField, inTheField;
    std::function<bool()> fieldHasTheKeys;
    const std::string& typed;
    const bool& fieldShown;
    std::function<bool(const std::function<bool()>&)> runUntil;  // false at the deadline
    HostKeys& hostKeys;
    xcb_window_t hostFocus;
    std::function<void()> beforeCountingTheHostsKeys = {};  // lets keys still on their way reach the host
};

// Where a host whose focus follows the window it embeds moves it there: as its top-level gets the focus from
// elsewhere (activated), not from within (the editor giving it back).
inline bool focusCameFromElsewhere(const xcb_focus_in_event_t& e, xcb_window_t topLevel) {
    return e.event == topLevel && e.mode == XCB_NOTIFY_MODE_NORMAL && e.detail != XCB_NOTIFY_DETAIL_INFERIOR &&
           e.detail != XCB_NOTIFY_DETAIL_POINTER;
}

inline void checkKeysOverTheEditor(const KeysOverTheEditorSetup& s) {
    XClient& x = s.user;
    const xcb_keycode_t space = x.keycodeOf(XKB_KEY_space), a = x.keycodeOf(XKB_KEY_a), enter = x.keycodeOf(XKB_KEY_Return);
    const auto tap = [&](xcb_keycode_t key) {
        x.key(key, true);
        x.key(key, false);
    };

    x.moveTo(s.overNoField.x, s.overNoField.y);
    tap(space);
    EXPECT_TRUE(s.runUntil([&] { return s.hostKeys.presses[space] == 1; }))
        << "space over the editor with no name being typed stayed there";

    x.click(s.inTheField.x, s.inTheField.y);
    ASSERT_TRUE(s.runUntil(s.fieldHasTheKeys)) << "the field did not take the keyboard";
    x.moveTo(s.overNoField.x, s.overNoField.y);
    for (const xcb_keycode_t key : {a, space, a}) tap(key);
    EXPECT_TRUE(s.runUntil([&] { return s.typed == "a a"; })) << "typed \"" << s.typed << '"';
    x.key(enter, true);
    ASSERT_TRUE(s.runUntil([&] { return !s.fieldShown; }));
    x.key(enter, false);
    EXPECT_TRUE(s.runUntil([&] { return x.inputFocus() == s.hostFocus; })) << "the keys did not go back to the host";
    if (s.beforeCountingTheHostsKeys) s.beforeCountingTheHostsKeys();
    EXPECT_EQ(s.hostKeys.presses[space] + s.hostKeys.presses[a] + s.hostKeys.presses[enter], 1) << "the host got keys typed into the name";
    EXPECT_EQ(s.hostKeys.releases[enter], 0) << "the release of the Return that saved reached the host";

    tap(space);
    EXPECT_TRUE(s.runUntil([&] { return s.hostKeys.presses[space] == 2; })) << "space over the editor after the save stayed there";
    EXPECT_EQ(x.inputFocus(), s.hostFocus);
}

}  // namespace pulvan::x11::test
