#include "platform/x11/scroll_phases.h"

namespace pulvan::x11 {

ui::ScrollPhase ScrollPhases::delta(std::int64_t now) {
    const bool continuing = last_ && now - *last_ < kIdleNanoseconds;
    last_ = now;
    return continuing ? ui::ScrollPhase::changed : ui::ScrollPhase::began;
}

bool ScrollPhases::idleEndDue(std::int64_t now) {
    if (!last_ || now - *last_ < kIdleNanoseconds) return false;
    last_.reset();
    return true;
}

bool ScrollPhases::end() { return last_.has_value() && (last_.reset(), true); }

std::optional<std::int64_t> ScrollPhases::deadline() const {
    if (!last_) return std::nullopt;
    return *last_ + kIdleNanoseconds;
}

}  // namespace pulvan::x11
