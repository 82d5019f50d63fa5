#pragma once
#include <cstdint>

namespace pulvan::link {

// The standalone host's sample clock against the monotonic clock (nanoseconds).
namespace render_clock {

inline constexpr double kSampleRate = 44100.0;
inline constexpr std::int64_t kSliceFrames = 256;
// The look-ahead where the output's period is shorter (or it has none).
inline constexpr std::int64_t kLookAheadFrames = 1024;
// How far the wall clock may run past the rendered frames before the clock is
// re-anchored; within it, the slices missed are rendered at once, their times kept.
inline constexpr std::int64_t kMaxLateFrames = kSliceFrames;

// Whole frames in a duration, truncated.
std::int64_t framesIn(std::int64_t nanoseconds);
// The duration of a number of frames, truncated; 0 for none or fewer.
std::int64_t nanosecondsFor(std::int64_t frames);

struct RenderTarget {
    std::int64_t dueFrames;  // render while the rendered frames are below this
    std::int64_t anchor;     // the clock time of frame 0, moved when re-anchored
};

// How far ahead of the clock to render for an output that writes what it is given in cycles of
// `outputPeriodNanoseconds` (0: one that delivers at any time). Such an output takes a message in the
// cycle whose window holds its time only when it had it before that cycle began, up to a period
// before its time; a tick comes up to a timer interval late, and the slice on top covers that.
// The period is a duration: the server's frames need not be ours.
std::int64_t lookAheadFrames(std::int64_t outputPeriodNanoseconds);

// What to render up to at `now`: the frames elapsed since `anchor` (none before it)
// plus the look-ahead. When the clock has run more than kMaxLateFrames past
// `renderedFrames` (the render thread stalled), the anchor moves so that playback
// resumes from where it was, instead of rendering every missed slice at once with times
// already past.
RenderTarget renderTarget(std::int64_t anchor, std::int64_t now, std::int64_t renderedFrames, std::int64_t lookAhead);

// When an event of the given sample time is due: the anchor plus the frames' duration.
std::int64_t eventTime(std::int64_t anchor, std::int64_t sampleTime);

}  // namespace render_clock
}  // namespace pulvan::link
