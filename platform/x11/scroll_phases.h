#pragma once
// Touchpad scrolling as phases: the first delta after a pause begins a scroll, the following ones change it,
// and a pause (or the end of the device's stream) ends it. Wheels never pass through here.
#include "platform/ui/events.h"

#include <cstdint>
#include <optional>

namespace pulvan::x11 {

class ScrollPhases {
public:
    static constexpr std::int64_t kIdleNanoseconds = 150'000'000;

    // The phase of a delta that arrives now.
    ui::ScrollPhase delta(std::int64_t now);
    // True once when a scroll under way has been idle long enough: the caller sends its end.
    bool idleEndDue(std::int64_t now);
    // True when a scroll was under way: the stream ended it (the pointer moved or left).
    bool end();
    std::optional<std::int64_t> deadline() const;

private:
    std::optional<std::int64_t> last_;
};

}  // namespace pulvan::x11
