#pragma once
// The embedded side of the XEmbed protocol, for a plug-in's window inside a host's: the _XEMBED_INFO
// property that embedders look for and the messages they send. Hosts that embed without XEmbed see only the
// property and never send a message. The window never asks an embedder for the keyboard: one whose own focus then
// follows the window would hand the keys straight back each time they went back to it.
#include <xcb/xcb.h>

#include <cstdint>

namespace pulvan::x11 {

class XEmbedClient {
public:
    // Looks up the protocol's atoms (one round trip).
    explicit XEmbedClient(xcb_connection_t* connection);

    // Before the window is first mapped: the protocol version and no wish to be mapped by the embedder yet.
    // The request goes out with the next flush, so an embedder that reads the property as soon as the
    // window exists finds it.
    void announce(xcb_window_t window);
    // What an embedder's message says, as far as the window listens.
    enum class Word : unsigned char { notXEmbed, focusLeft, windowDeactivated, other };
    // Takes in a message for the window. The embedder's announcement is answered here; its words on activation and
    // focus say where it is, not where the keys go, except that its focus left for a widget of its own: it says so
    // alone, where its focus leaving with its window's deactivation comes right before that.
    Word handle(const xcb_client_message_event_t& message);

private:
    void setInfo(std::uint32_t flags);

    xcb_connection_t* connection_;
    xcb_atom_t xembed_ = 0, xembedInfo_ = 0;
    xcb_window_t window_ = 0;
};

}  // namespace pulvan::x11
