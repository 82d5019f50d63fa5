#include "platform/x11/frame_counter.h"

#include <xcb/sync.h>

#include <algorithm>

namespace pulvan::x11 {
namespace {

xcb_sync_int64_t syncValue(std::uint64_t value) { return {static_cast<std::int32_t>(value >> 32), static_cast<std::uint32_t>(value)}; }

}  // namespace

std::optional<FrameCounter> FrameCounter::create(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* sync = xcb_get_extension_data(c, &xcb_sync_id);
    if (!sync || !sync->present) return std::nullopt;
    xcb_discard_reply(c, xcb_sync_initialize(c, 3, 1).sequence);
    FrameCounter counter(c);
    counter.basic_ = xcb_generate_id(c);
    counter.extended_ = xcb_generate_id(c);
    xcb_sync_create_counter(c, counter.basic_, syncValue(0));
    // Odd: the first frame is being drawn.
    xcb_sync_create_counter(c, counter.extended_, syncValue(1));
    return counter;
}

void FrameCounter::set(std::uint32_t counter, std::uint64_t value) { xcb_sync_set_counter(c_, counter, syncValue(value)); }

void FrameCounter::frameShown() {
    std::uint64_t next = value_ + (value_ & 1);
    if (requested_) {
        // The manager's numbers are even and lie ahead of ours.
        next = std::max(next, *requested_ + (*requested_ & 1));
        set(basic_, *requested_);
        requested_.reset();
    }
    if (next == value_) return;
    value_ = next;
    set(extended_, value_);
}

void FrameCounter::destroy() {
    xcb_sync_destroy_counter(c_, basic_);
    xcb_sync_destroy_counter(c_, extended_);
}

}  // namespace pulvan::x11
