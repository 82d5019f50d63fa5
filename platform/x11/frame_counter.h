#pragma once
// The frame counters a top-level window offers its window manager (_NET_WM_SYNC_REQUEST_COUNTER, the extended
// form). A compositing manager takes in a new window while the program draws its first frame; mutter loses that
// frame now and then and shows the window black until it next changes. While the extended counter is odd a frame is
// being drawn and the compositor shows nothing of the window; once it is even, the frame is whole and the compositor
// takes the window's picture as it is then. The same counters answer the manager's sync requests around resizes.
#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

namespace pulvan::x11 {

class FrameCounter {
public:
    // Counters for a window not yet mapped, marking its first frame as being drawn; none where the server has no SYNC.
    static std::optional<FrameCounter> create(xcb_connection_t* c);
    // The property's value: the basic counter, then the extended one.
    std::uint32_t basic() const { return basic_; }
    std::uint32_t extended() const { return extended_; }

    // The manager asks for the number to set once the window has drawn what follows (a new size).
    void syncRequested(std::uint64_t serial) { requested_ = serial; }
    // A frame that shows the window's present state reached the window: requests sent before are carried out first.
    void frameShown();
    void destroy();

private:
    explicit FrameCounter(xcb_connection_t* c) : c_(c) {}
    void set(std::uint32_t counter, std::uint64_t value);

    xcb_connection_t* c_;
    std::uint32_t basic_ = 0, extended_ = 0;
    std::uint64_t value_ = 1;
    std::optional<std::uint64_t> requested_;
};

}  // namespace pulvan::x11
