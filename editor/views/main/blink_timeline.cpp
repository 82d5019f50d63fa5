#include "editor/views/main/blink_timeline.h"

#include "platform/foundation/main_queue.h"

#include <cmath>

namespace pulvan::views {

using namespace ui;

View BlinkTimeline::body(BuildContext& context) const {
    const auto tick = context.state<int>(0);
    const auto timer = context.storage<foundation::Timer>();
    if (!armed) {
        timer->cancel();
        return content(false);
    }
    if (!timer->isActive()) {
        *timer = context.mainQueue().scheduleRepeating(foundation::nanosecondsFromSeconds(0.5), [tick] { tick.set(*tick + 1); });
    }
    const double seconds = static_cast<double>(context.nowNanoseconds()) * 1e-9;
    return content(static_cast<long long>(std::floor(2 * seconds)) % 2 == 0);
}

}  // namespace pulvan::views
