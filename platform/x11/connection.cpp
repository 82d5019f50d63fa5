#include "platform/x11/connection.h"

#include <xcb/xinput.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace pulvan::x11 {
namespace {

template <typename T>
struct Reply {
    T* value;
    ~Reply() { std::free(value); }
    T* operator->() const { return value; }
    explicit operator bool() const { return value != nullptr; }
};

xcb_visualtype_t* findVisual(xcb_screen_t* screen) {
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals))
            if (visuals.data->visual_id == screen->root_visual) return visuals.data;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Connection> Connection::open() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    std::unique_ptr<Connection> made(new Connection(connection, screenNumber));
    if (!made->screen_ || !made->visual_) return nullptr;
    return made;
}

Connection::Connection(xcb_connection_t* connection, int screenNumber) : connection_(connection) {
    auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && roots.rem; ++i) xcb_screen_next(&roots);
    if (!roots.rem) return;
    screen_ = roots.data;
    visual_ = findVisual(screen_);

    const std::pair<xcb_atom_t*, const char*> names[] = {{&atoms_.wmProtocols, "WM_PROTOCOLS"},
                                                         {&atoms_.wmDeleteWindow, "WM_DELETE_WINDOW"},
                                                         {&atoms_.netWmName, "_NET_WM_NAME"},
                                                         {&atoms_.utf8String, "UTF8_STRING"},
                                                         {&atoms_.netWorkArea, "_NET_WORKAREA"},
                                                         {&atoms_.netWmPid, "_NET_WM_PID"},
                                                         {&atoms_.wmState, "WM_STATE"},
                                                         {&atoms_.wmTakeFocus, "WM_TAKE_FOCUS"},
                                                         {&atoms_.netActiveWindow, "_NET_ACTIVE_WINDOW"},
                                                         {&atoms_.timestamp, "_PULVAN_TIMESTAMP"},
                                                         {&atoms_.netWmSyncRequest, "_NET_WM_SYNC_REQUEST"},
                                                         {&atoms_.netWmSyncRequestCounter, "_NET_WM_SYNC_REQUEST_COUNTER"}};
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const auto& [atom, name] : names)
        cookies.push_back(xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name));
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        Reply<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(connection_, cookies[i], nullptr)};
        if (reply) *names[i].first = reply->atom;
    }

    const auto* xinput = xcb_get_extension_data(connection_, &xcb_input_id);
    if (xinput && xinput->present) {
        Reply<xcb_input_xi_query_version_reply_t> version{
            xcb_input_xi_query_version_reply(connection_, xcb_input_xi_query_version(connection_, 2, 2), nullptr)};
        if (version && (version->major_version > 2 || (version->major_version == 2 && version->minor_version >= 2)))
            xinputOpcode_ = xinput->major_opcode;
    }
}

Connection::~Connection() { xcb_disconnect(connection_); }

std::optional<std::string> Connection::property(xcb_window_t window, xcb_atom_t property) const {
    if (property == 0) return std::nullopt;
    Reply<xcb_get_property_reply_t> reply{xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 16), nullptr)};
    if (!reply || reply->type == XCB_ATOM_NONE) return std::nullopt;
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply.value));
    return std::string(data, data + xcb_get_property_value_length(reply.value));
}

double Connection::resourceDisplayScale() const {
    const auto resources = property(screen_->root, XCB_ATOM_RESOURCE_MANAGER);
    return resources ? displayScaleFromResources(*resources) : 1.0;
}

ui::Rect Connection::workAreaPixels() const {
    const ui::Rect screen{0, 0, static_cast<double>(screen_->width_in_pixels), static_cast<double>(screen_->height_in_pixels)};
    const auto area = property(screen_->root, atoms_.netWorkArea);
    if (!area || area->size() < 4 * sizeof(std::uint32_t)) return screen;
    std::uint32_t v[4];
    std::memcpy(v, area->data(), sizeof v);
    const ui::Rect first{static_cast<double>(v[0]), static_cast<double>(v[1]), static_cast<double>(v[2]), static_cast<double>(v[3])};
    return first.isEmpty() ? screen : first;
}

std::optional<ui::Size> Connection::windowSize(xcb_window_t window) const {
    xcb_generic_error_t* error = nullptr;
    Reply<xcb_get_geometry_reply_t> reply{xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), &error)};
    std::free(error);
    if (!reply) return std::nullopt;
    return ui::Size{static_cast<double>(reply->width), static_cast<double>(reply->height)};
}

xcb_window_t Connection::parentOf(xcb_window_t window) const {
    Reply<xcb_query_tree_reply_t> tree{xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr)};
    return tree && tree->parent != tree->root ? tree->parent : XCB_NONE;
}

xcb_window_t Connection::inputFocus() const {
    Reply<xcb_get_input_focus_reply_t> reply{xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)};
    return reply ? reply->focus : XCB_NONE;
}

double displayScaleFromResources(const std::string& resources) {
    std::istringstream lines(resources);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Xft.dpi:", 0) != 0) continue;
        char* end = nullptr;
        const double dpi = std::strtod(line.c_str() + 8, &end);
        // A scale outside 0.5...4 is a broken setting, not a screen.
        if (end != line.c_str() + 8 && dpi >= 48 && dpi <= 384) return dpi / 96;
    }
    return 1.0;
}

}  // namespace pulvan::x11
