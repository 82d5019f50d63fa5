#include "editor/views/main/blink_timeline.h"

#include "platform/foundation/main_queue.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace pulvan::views {

using namespace ui;

namespace {

// On for the first half of every second of the clock.
bool blinkPhaseOn(std::int64_t nowNanoseconds) {
    return static_cast<long long>(std::floor(2 * static_cast<double>(nowNanoseconds) * 1e-9)) % 2 == 0;
}

}  // namespace

View BlinkTimeline::body(BuildContext& context) const {
    const auto ticks = context.state<int>(0);
    // The timer lives with the view: it stops when the blinking content leaves the screen.
    const auto timer = context.storage<std::optional<foundation::Timer>>();
    if (!*timer)
        timer->emplace(context.mainQueue().scheduleRepeating(static_cast<std::int64_t>(interval * 1e9), [ticks] { ticks.set(ticks.get() + 1); }));
    return content(blinkPhaseOn(context.nowNanoseconds()));
}

}  // namespace pulvan::views
