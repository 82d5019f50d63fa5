#include "platform/x11/frame_counter.h"

#include <sys/uio.h>
#include <xcb/xcbext.h>

#include <algorithm>

namespace pulvan::x11 {
namespace {

xcb_extension_t syncExtension = {"SYNC", 0};

enum : std::uint8_t { kInitialize = 0, kCreateCounter = 2, kSetCounter = 3, kDestroyCounter = 6 };

struct InitializeRequest {
    std::uint8_t major = 0, minor = 0;
    std::uint16_t length = 0;
    std::uint8_t wantedMajor = 3, wantedMinor = 1, pad[2] = {};
};
struct CounterRequest {
    std::uint8_t major = 0, minor = 0;
    std::uint16_t length = 0;
    std::uint32_t counter = 0;
    std::int32_t high = 0;
    std::uint32_t low = 0;
};
struct DestroyRequest {
    std::uint8_t major = 0, minor = 0;
    std::uint16_t length = 0;
    std::uint32_t counter = 0;
};

template <typename Request>
void send(xcb_connection_t* c, std::uint8_t minor, Request request, bool hasReply = false) {
    const xcb_protocol_request_t protocol = {1, &syncExtension, minor, static_cast<std::uint8_t>(!hasReply)};
    // XCB writes its own header before the request's parts.
    iovec parts[3] = {};
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof request;
    xcb_send_request(c, hasReply ? XCB_REQUEST_DISCARD_REPLY : 0, parts + 2, &protocol);
}

}  // namespace

std::optional<FrameCounter> FrameCounter::create(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* sync = xcb_get_extension_data(c, &syncExtension);
    if (!sync || !sync->present) return std::nullopt;
    send(c, kInitialize, InitializeRequest{}, true);
    FrameCounter counter(c);
    counter.basic_ = xcb_generate_id(c);
    counter.extended_ = xcb_generate_id(c);
    send(c, kCreateCounter, CounterRequest{.counter = counter.basic_});
    // Odd: the first frame is being drawn.
    send(c, kCreateCounter, CounterRequest{.counter = counter.extended_, .low = 1});
    return counter;
}

void FrameCounter::set(std::uint32_t counter, std::uint64_t value) {
    send(c_, kSetCounter,
         CounterRequest{.counter = counter, .high = static_cast<std::int32_t>(value >> 32), .low = static_cast<std::uint32_t>(value)});
}

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
    send(c_, kDestroyCounter, DestroyRequest{.counter = basic_});
    send(c_, kDestroyCounter, DestroyRequest{.counter = extended_});
}

}  // namespace pulvan::x11
