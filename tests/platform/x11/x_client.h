#pragma once
// The other side of a test window: a connection of the test's own that reads what the server shows and
// sends input the way a user would (XTEST).
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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
    // than the screen's parts around them (the screen's are undefined there).
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
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = xembed;
        message.data.data32[0] = XCB_CURRENT_TIME;
        message.data.data32[1] = word;
        message.data.data32[3] = detail;
        xcb_send_event(c_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
        sync();
    }

private:
    void fake(std::uint8_t type, std::uint8_t detail, int x, int y) {
        xcb_test_fake_input(c_, type, detail, XCB_CURRENT_TIME, type == XCB_MOTION_NOTIFY ? screen_->root : XCB_NONE,
                            static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
        sync();
    }
    xcb_connection_t* c_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
};

}  // namespace pulvan::x11::test
