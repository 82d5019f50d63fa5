#pragma once
// The other side of a test window: a connection of the test's own that reads what the server shows and
// sends input the way a user would (XTEST).
#include <poll.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <thread>

namespace pulvan::x11::test {

class XClient {
public:
    XClient() {
        // An X server that lost its last client resets itself and refuses connections meanwhile.
        for (int attempt = 0; attempt < 100; ++attempt) {
            c_ = xcb_connect(nullptr, nullptr);
            if (!xcb_connection_has_error(c_)) break;
            xcb_disconnect(c_);
            c_ = nullptr;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (c_) screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    }
    ~XClient() {
        if (c_) xcb_disconnect(c_);
    }
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool open() const { return c_ != nullptr; }
    xcb_connection_t* get() const { return c_; }
    xcb_window_t root() const { return screen_->root; }

    // A plain top-level window, as a host's editor frame.
    xcb_window_t createWindow(int width, int height) {
        const xcb_window_t w = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, screen_->root, 0, 0, static_cast<std::uint16_t>(width),
                          static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, 0, nullptr);
        xcb_map_window(c_, w);
        sync();
        return w;
    }
    void destroyWindow(xcb_window_t w) {
        xcb_destroy_window(c_, w);
        sync();
    }
    void sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;
    };
    std::optional<Geometry> geometry(xcb_window_t w) {
        auto* g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr);
        if (!g) return std::nullopt;
        Geometry out{g->x, g->y, g->width, g->height};
        std::free(g);
        auto* t = xcb_translate_coordinates_reply(c_, xcb_translate_coordinates(c_, w, screen_->root, 0, 0), nullptr);
        if (t) out.x = t->dst_x, out.y = t->dst_y;
        std::free(t);
        return out;
    }
    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : XCB_NONE;
        std::free(r);
        return a;
    }
    // Whether a window manager runs on the display.
    bool managed() { return !property(screen_->root, atom("_NET_SUPPORTING_WM_CHECK")).empty(); }
    // Waits until the window manager keeps no window, those of programs before this one let go. The server hands a
    // closed connection's window numbers to the next: a window manager behind would take the new windows for the
    // old ones, pulling them out of their parents as it lets go of those. False at the deadline.
    bool waitUntilNoWindowIsManaged(std::chrono::milliseconds timeout) {
        const xcb_atom_t clients = atom("_NET_CLIENT_LIST");
        std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c_, screen_->root, XCB_CW_EVENT_MASK, &events);
        const bool none = property(screen_->root, clients).empty() ||
                          waitForEvent([&](const xcb_generic_event_t*) { return property(screen_->root, clients).empty(); }, timeout);
        events = 0;
        xcb_change_window_attributes(c_, screen_->root, XCB_CW_EVENT_MASK, &events);
        sync();
        return none;
    }
    // Waits until the window manager has handled what it was told before now (a click on the top-level's title bar,
    // say, which it may answer by moving the focus or not at all): it answers a request to keep the top-level off
    // pagers, and one to put it back, by setting its state anew. False at the deadline.
    bool waitForTheWindowManager(xcb_window_t topLevel, std::chrono::milliseconds timeout) {
        const xcb_atom_t state = atom("_NET_WM_STATE"), skipPager = atom("_NET_WM_STATE_SKIP_PAGER");
        std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c_, topLevel, XCB_CW_EVENT_MASK, &events);
        bool answered = true;
        for (int turn = 0; turn < 2 && answered; ++turn) {
            askWindowManager(topLevel, state, {2, skipPager});  // toggle
            answered = waitForEvent(
                [&](const xcb_generic_event_t* e) {
                    const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(e);
                    return (e->response_type & 0x7F) == XCB_PROPERTY_NOTIFY && change->window == topLevel && change->atom == state;
                },
                timeout);
        }
        events = 0;
        xcb_change_window_attributes(c_, topLevel, XCB_CW_EVENT_MASK, &events);
        sync();
        return answered;
    }
    // Waits until the window manager has handled the pointer's events on its frames up to now. metacity and mutter
    // handle them through their toolkit, after requests that came later (so after waitForTheWindowManager), and may
    // grab the keyboard for a title-bar click meanwhile: keys typed then go to them. Their toolkit shows its resize
    // cursor once the pointer is on the frame's side edge; the pointer then goes back. False at the deadline.
    bool waitForTheFrame(xcb_window_t topLevel, std::chrono::milliseconds timeout) {
        const auto g = geometry(topLevel);
        auto* pointer = xcb_query_pointer_reply(c_, xcb_query_pointer(c_, screen_->root), nullptr);
        if (!g || !pointer) {
            std::free(pointer);
            return false;
        }
        const int backX = pointer->root_x, backY = pointer->root_y;
        std::free(pointer);
        const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c_, &xcb_xfixes_id);
        if (!xfixes || !xfixes->present) return false;
        std::free(xcb_xfixes_query_version_reply(c_, xcb_xfixes_query_version(c_, 5, 0), nullptr));
        // The right edge where the left is off the screen.
        const bool left = g->x >= 8;
        const xcb_atom_t resize = atom(left ? "left_side" : "right_side");
        xcb_xfixes_select_cursor_input(c_, screen_->root, XCB_XFIXES_CURSOR_NOTIFY_MASK_DISPLAY_CURSOR);
        moveTo(left ? g->x - 2 : g->x + g->width + 1, g->y + g->height / 2);
        auto* shown = xcb_xfixes_get_cursor_image_and_name_reply(c_, xcb_xfixes_get_cursor_image_and_name(c_), nullptr);
        const bool already = shown && shown->cursor_atom == resize;
        std::free(shown);
        const bool handled =
            already || waitForEvent(
                           [&](const xcb_generic_event_t* e) {
                               const auto* cursor = reinterpret_cast<const xcb_xfixes_cursor_notify_event_t*>(e);
                               return (e->response_type & 0x7F) == xfixes->first_event + XCB_XFIXES_CURSOR_NOTIFY && cursor->name == resize;
                           },
                           timeout);
        xcb_xfixes_select_cursor_input(c_, screen_->root, 0);
        moveTo(backX, backY);
        return handled;
    }
    // The window the window manager names active, once it has taken in the focus it gave it.
    xcb_window_t activeWindow() {
        const std::string value = property(screen_->root, atom("_NET_ACTIVE_WINDOW"));
        xcb_window_t active = XCB_NONE;
        if (value.size() >= sizeof active) std::memcpy(&active, value.data(), sizeof active);
        return active;
    }
    std::string property(xcb_window_t w, xcb_atom_t property, std::uint32_t length = 256) {
        auto* r = xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, length), nullptr);
        std::string value;
        if (r)
            value.assign(static_cast<const char*>(xcb_get_property_value(r)), static_cast<std::size_t>(xcb_get_property_value_length(r)));
        std::free(r);
        return value;
    }
    // 0xRRGGBB of one pixel of the screen, or of a window at its own coordinates.
    std::uint32_t pixel(int x, int y, xcb_window_t of = XCB_NONE) {
        const std::string bytes = image(x, y, 1, 1, of);
        std::uint32_t value = 0;
        if (bytes.size() >= sizeof value) std::memcpy(&value, bytes.data(), sizeof value);
        return value & 0xFFFFFF;
    }
    // The screen's pixels in a rectangle, as the server keeps them; a window's own, where they are of another depth
    // than the screen's parts around them (the screen's are undefined there), or where a compositor shows them.
    std::string image(int x, int y, int width, int height, xcb_window_t of = XCB_NONE) {
        auto* r = xcb_get_image_reply(
            c_,
            xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, of ? of : screen_->root, static_cast<std::int16_t>(x),
                          static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), ~0u),
            nullptr);
        std::string pixels;
        if (r) pixels.assign(reinterpret_cast<const char*>(xcb_get_image_data(r)), static_cast<std::size_t>(xcb_get_image_data_length(r)));
        std::free(r);
        return pixels;
    }
    std::uint32_t childCount(xcb_window_t w) {
        auto* r = xcb_query_tree_reply(c_, xcb_query_tree(c_, w), nullptr);
        const std::uint32_t n = r ? r->children_len : 0;
        std::free(r);
        return n;
    }
    // The top-level window with this title, 0 while there is none.
    xcb_window_t topLevelNamed(const std::string& title) {
        auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, screen_->root), nullptr);
        xcb_window_t found = 0;
        if (tree) {
            const xcb_window_t* children = xcb_query_tree_children(tree);
            for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i)
                if (property(children[i], XCB_ATOM_WM_NAME) == title) found = children[i];
        }
        std::free(tree);
        return found;
    }
    xcb_window_t firstChild(xcb_window_t w) {
        auto* r = xcb_query_tree_reply(c_, xcb_query_tree(c_, w), nullptr);
        const xcb_window_t child = r && r->children_len ? xcb_query_tree_children(r)[0] : 0;
        std::free(r);
        return child;
    }

    // Input as a user gives it, at screen pixels.
    void moveTo(int x, int y) { fake(XCB_MOTION_NOTIFY, 0, x, y); }
    void button(std::uint8_t button, bool press) { fake(press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, button, 0, 0); }
    void click(int x, int y, std::uint8_t which = 1) {
        moveTo(x, y);
        button(which, true);
        button(which, false);
    }
    void key(std::uint8_t keycode, bool press) { fake(press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keycode, 0, 0); }
    // The keycode that types a keysym without modifiers.
    std::uint8_t keycodeOf(std::uint32_t keysym) {
        const xcb_setup_t* setup = xcb_get_setup(c_);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto* r =
            xcb_get_keyboard_mapping_reply(c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, static_cast<std::uint8_t>(count)), nullptr);
        std::uint8_t found = 0;
        if (r) {
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
            for (int i = 0; i < count && !found; ++i)
                if (syms[i * r->keysyms_per_keycode] == keysym) found = static_cast<std::uint8_t>(setup->min_keycode + i);
        }
        std::free(r);
        return found;
    }
    void focus(xcb_window_t w) {
        xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
        sync();
    }
    xcb_window_t inputFocus() {
        auto* reply = xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr);
        const xcb_window_t w = reply ? reply->focus : 0;
        std::free(reply);
        return w;
    }
    // What an XEmbed embedder tells a window it took in.
    void sendEmbeddedNotify(xcb_window_t window, xcb_atom_t xembed, xcb_window_t embedder) { sendXEmbed(window, xembed, 0, embedder); }
    // An XEmbed embedder's message to a window: its word, and the word's first detail.
    void sendXEmbed(xcb_window_t window, xcb_atom_t xembed, std::uint32_t word, std::uint32_t detail = 0) {
        const xcb_client_message_event_t message = clientMessage(window, xembed, {XCB_CURRENT_TIME, word, 0, detail});
        xcb_send_event(c_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
        sync();
    }
    // A request to the window manager about a top-level, as pagers and programs send it (EWMH).
    void askWindowManager(xcb_window_t topLevel, xcb_atom_t request, std::initializer_list<std::uint32_t> data) {
        const xcb_client_message_event_t message = clientMessage(topLevel, request, data);
        xcb_send_event(c_, 0, screen_->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        sync();
    }

private:
    static xcb_client_message_event_t clientMessage(xcb_window_t window, xcb_atom_t type, std::initializer_list<std::uint32_t> data) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = type;
        std::copy(data.begin(), data.end(), message.data.data32);
        return message;
    }
    // Reads this connection's events until one meets `done`, which it passes; false at the deadline. Those left over
    // as it stops are dropped.
    template <typename Done>
    bool waitForEvent(const Done& done, std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        bool met = false;
        while (!met) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
                met = met || done(e);
                std::free(e);
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
            pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
            if (met || left <= 0 || poll(&fd, 1, static_cast<int>(left)) <= 0) break;
        }
        return met;
    }
    void fake(std::uint8_t type, std::uint8_t detail, int x, int y) {
        xcb_test_fake_input(c_, type, detail, XCB_CURRENT_TIME, type == XCB_MOTION_NOTIFY ? screen_->root : XCB_NONE,
                            static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
        sync();
    }
    xcb_connection_t* c_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
};

}  // namespace pulvan::x11::test
