#include "editor/views/main/blink_timeline.h"

#include "platform/foundation/main_queue.h"

#include <cmath>
#include <cstdint>

namespace pulvan::views {

using namespace ui;

View BlinkTimeline::body(BuildContext& context) const {
    constexpr std::int64_t interval = foundation::nanosecondsFromSeconds(0.5);
    const auto tick = context.state<int>(0);
    const auto timer = context.storage<foundation::Timer>();
    // The date of the timeline's last entry. The phase goes by it alone: built again between two entries (a
    // layout asking its content anew), the content shows the phase the last entry drew, and every change of
    // phase is an entry of its own, whose rebuild damages what it changes.
    const auto entry = context.storage<std::int64_t>();
    if (!armed) {
        timer->cancel();
        return content(false);
    }
    if (!timer->isActive()) {
        *entry = context.nowNanoseconds();
        *timer = context.mainQueue().scheduleRepeating(interval, [tick, entry] {
            *entry += interval;
            tick.set(*tick + 1);
        });
    }
    const double seconds = static_cast<double>(*entry) * 1e-9;
    return content(static_cast<long long>(std::floor(2 * seconds)) % 2 == 0);
}

}  // namespace pulvan::views
