#pragma once
#include <cstdint>
#include <string>

namespace pulvan::midi {

// When a message is to be delivered: nanoseconds of the monotonic clock
// (CLOCK_MONOTONIC, the clock of std::chrono::steady_clock and of
// platform/foundation/clock). kSendNow delivers at once.
using Timestamp = std::uint64_t;
inline constexpr Timestamp kSendNow = 0;

// The current time on the clock that timestamps use.
Timestamp now() noexcept;

// An endpoint's identifier, stable while the endpoint exists.
using UniqueId = std::int32_t;

// A source or destination of another program (or a virtual one of ours).
struct Endpoint {
    std::string address;      // what the MIDI system calls it; identifies the endpoint for connections
    std::string name;         // the port's own name
    std::string displayName;  // the name a user sees: the owning program and the port
    UniqueId uniqueId = 0;
    bool inThisProcess = false;  // a port of the program we run in (a plug-in's host), ours excluded

    friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

}  // namespace pulvan::midi
