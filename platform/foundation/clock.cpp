#include "platform/foundation/clock.h"

#include <chrono>

namespace pulvan::foundation {

std::int64_t MonotonicClock::nowNanoseconds() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

const Clock& systemClock() {
    static const MonotonicClock clock;
    return clock;
}

}  // namespace pulvan::foundation
