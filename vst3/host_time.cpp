#include "vst3/host_time.h"

#include "platform/midi/midi_types.h"

#include <cmath>

namespace kez {

std::uint64_t blockHostTimeNs(bool hostTimeValid, std::int64_t hostSystemTimeNs) {
    constexpr std::int64_t kOneSecondNs = 1'000'000'000;
    const std::uint64_t now = pulvan::midi::now();
    if (!hostTimeValid || hostSystemTimeNs < 0) return now;
    const auto candidate = static_cast<std::uint64_t>(hostSystemTimeNs);
    const std::uint64_t distance = candidate > now ? candidate - now : now - candidate;
    return distance <= static_cast<std::uint64_t>(kOneSecondNs) ? candidate : now;
}

std::uint64_t secondsToNanoseconds(double seconds) {
    if (!(seconds > 0.0)) return 0;
    const double ns = std::trunc(seconds * 1e9);
    // Beyond what 64 bits hold the stamp is meaningless anyway; keep the conversion defined.
    if (ns >= 1.8e19) return ~std::uint64_t{0};
    return static_cast<std::uint64_t>(ns);
}

}  // namespace kez
