#pragma once
// Block start times on the monotonic clock that MIDI timestamps use.
#include <cstdint>

namespace kez {

// The host's system time (nanoseconds) when it claims one and it lies within
// one second of our own clock; otherwise our clock. Hosts disagree on what
// their system time counts, so a far-off value is not trusted.
std::uint64_t blockHostTimeNs(bool hostTimeValid, std::int64_t hostSystemTimeNs);

// Whole nanoseconds of a duration; 0 for anything not above 0.
std::uint64_t secondsToNanoseconds(double seconds);

}  // namespace kez
