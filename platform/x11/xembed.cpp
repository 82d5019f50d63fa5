#include "platform/x11/xembed.h"

#include <cstdlib>
#include <cstring>

namespace pulvan::x11 {
namespace {

constexpr std::uint32_t kProtocolVersion = 0;
constexpr std::uint32_t kMappedFlag = 1;
constexpr std::uint32_t kEmbeddedNotify = 0, kWindowDeactivate = 2, kFocusOut = 5;

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

XEmbedClient::Word XEmbedClient::handle(const xcb_client_message_event_t& message) {
    if (!xembed_ || message.type != xembed_ || message.format != 32) return Word::notXEmbed;
    if (message.data.data32[1] == kFocusOut) return Word::focusLeft;
    if (message.data.data32[1] == kWindowDeactivate) return Word::windowDeactivated;
    if (message.data.data32[1] == kEmbeddedNotify) {
        // The window shows already; an embedder that maps by the flag keeps it shown.
        setInfo(kMappedFlag);
        xcb_flush(connection_);
    }
    return Word::other;
}

}  // namespace pulvan::x11
