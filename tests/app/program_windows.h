#pragma once
// Waiting on the standalone program, and closing its window as a window manager does.
#include "tests/platform/x11/x_client.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

namespace pulvan::app::test {

using namespace std::chrono_literals;

inline bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

inline xcb_atom_t atom(x11::test::XClient& x, const char* name) {
    auto* r = xcb_intern_atom_reply(x.get(), xcb_intern_atom(x.get(), 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = r ? r->atom : 0;
    std::free(r);
    return found;
}

// The window manager's close button.
inline void closeWindow(x11::test::XClient& x, xcb_window_t window) {
    xcb_client_message_event_t close{};
    close.response_type = XCB_CLIENT_MESSAGE;
    close.format = 32;
    close.window = window;
    close.type = atom(x, "WM_PROTOCOLS");
    close.data.data32[0] = atom(x, "WM_DELETE_WINDOW");
    xcb_send_event(x.get(), 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&close));
    x.sync();
}

}  // namespace pulvan::app::test
