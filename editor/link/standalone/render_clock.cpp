#include "editor/link/standalone/render_clock.h"

#include <algorithm>
#include <cmath>

namespace pulvan::link::render_clock {

std::int64_t framesIn(std::int64_t nanoseconds) { return static_cast<std::int64_t>(static_cast<double>(nanoseconds) / 1e9 * kSampleRate); }

std::int64_t nanosecondsFor(std::int64_t frames) {
    if (frames <= 0) return 0;
    return static_cast<std::int64_t>(static_cast<double>(frames) / kSampleRate * 1e9);
}

std::int64_t lookAheadFrames(std::int64_t outputPeriodNanoseconds) {
    // Rounded up: a frame short of the period is a note a frame late.
    const auto period = static_cast<std::int64_t>(std::ceil(static_cast<double>(outputPeriodNanoseconds) * kSampleRate / 1e9));
    return std::max(kLookAheadFrames, period + kSliceFrames);
}

RenderTarget renderTarget(std::int64_t anchor, std::int64_t now, std::int64_t renderedFrames, std::int64_t lookAhead) {
    const std::int64_t elapsed = framesIn(now - anchor);
    if (elapsed - renderedFrames > kMaxLateFrames) {
        return {renderedFrames + lookAhead, now - nanosecondsFor(renderedFrames)};
    }
    return {std::max<std::int64_t>(elapsed, 0) + lookAhead, anchor};
}

std::int64_t eventTime(std::int64_t anchor, std::int64_t sampleTime) { return anchor + nanosecondsFor(sampleTime); }

}  // namespace pulvan::link::render_clock
