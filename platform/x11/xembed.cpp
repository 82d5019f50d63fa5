#include "platform/x11/xembed.h"

#include <cstdlib>
#include <cstring>

namespace pulvan::x11 {
namespace {

constexpr std::uint32_t kProtocolVersion = 0;
constexpr std::uint32_t kMappedFlag = 1;

enum Message : std::uint32_t { embeddedNotify = 0, requestFocusMessage = 3 };

xcb_atom_t intern(xcb_connection_t* c, xcb_intern_atom_cookie_t cookie) {
    auto* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : 0;
    std::free(reply);
    return atom;
}

xcb_intern_atom_cookie_t ask(xcb_connection_t* c, const char* name) {
    return xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
}

}  // namespace

XEmbedClient::XEmbedClient(xcb_connection_t* connection) : connection_(connection) {
    const auto xembed = ask(connection_, "_XEMBED"), info = ask(connection_, "_XEMBED_INFO");
    xembed_ = intern(connection_, xembed);
    xembedInfo_ = intern(connection_, info);
}

void XEmbedClient::announce(xcb_window_t window) {
    window_ = window;
    setInfo(0);
}

void XEmbedClient::setInfo(std::uint32_t flags) {
    if (!xembedInfo_ || !window_) return;
    const std::uint32_t info[] = {kProtocolVersion, flags};
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, xembedInfo_, xembedInfo_, 32, 2, info);
}

bool XEmbedClient::handle(const xcb_client_message_event_t& message) {
    if (!xembed_ || message.type != xembed_ || message.format != 32) return false;
    if (message.data.data32[1] == embeddedNotify) {
        embedder_ = message.data.data32[3];
        // The window shows already; an embedder that maps by the flag keeps it shown.
        setInfo(kMappedFlag);
        xcb_flush(connection_);
    }
    return true;
}

void XEmbedClient::requestFocus() {
    if (embedder_) send(embedder_, requestFocusMessage);
}

void XEmbedClient::send(xcb_window_t to, std::uint32_t message) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = to;
    event.type = xembed_;
    event.data.data32[0] = XCB_CURRENT_TIME;
    event.data.data32[1] = message;
    xcb_send_event(connection_, 0, to, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
}

}  // namespace pulvan::x11
