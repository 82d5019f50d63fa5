#include "editor/link/standalone/render_clock.h"

#include <gtest/gtest.h>

namespace pulvan::link::render_clock {
namespace {

constexpr std::int64_t kSecond = 1'000'000'000;
constexpr std::int64_t kAnchor = 5 * kSecond;

TEST(RenderClock, FramesAndDurationsTruncate) {
    EXPECT_EQ(framesIn(kSecond), 44100);
    EXPECT_EQ(framesIn(22'675), 0);  // just under one frame (22,675.7 ns)
    EXPECT_EQ(framesIn(22'676), 1);
    EXPECT_EQ(nanosecondsFor(44100), kSecond);
    EXPECT_EQ(nanosecondsFor(1), 22'675);
    EXPECT_EQ(nanosecondsFor(0), 0);
    EXPECT_EQ(nanosecondsFor(-256), 0);
    EXPECT_EQ(eventTime(kAnchor, 22050), kAnchor + kSecond / 2);
}

struct TargetCase {
    const char* name;
    std::int64_t elapsedNanoseconds;
    std::int64_t renderedFrames;
    std::int64_t expectedDue;
    bool reanchored;
    std::int64_t outputPeriod = 0;  // nanoseconds; none for an output that delivers at any time
};

// A server's period as its port reports it: the frames at the server's rate, as a duration.
constexpr std::int64_t periodOf(std::int64_t frames, std::int64_t rate = 44'100) { return frames * kSecond / rate; }

class RenderTargetTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(RenderTargetTest, RendersAheadAndReanchorsOnlyAfterAStall) {
    const TargetCase& c = GetParam();
    const RenderTarget target = renderTarget(kAnchor, kAnchor + c.elapsedNanoseconds, c.renderedFrames, lookAheadFrames(c.outputPeriod));
    EXPECT_EQ(target.dueFrames, c.expectedDue);
    if (c.reanchored) {
        // The rendered frames now end exactly at the present: nothing already past is rendered.
        EXPECT_EQ(target.anchor, kAnchor + c.elapsedNanoseconds - nanosecondsFor(c.renderedFrames));
    } else {
        EXPECT_EQ(target.anchor, kAnchor);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, RenderTargetTest,
    ::testing::Values(TargetCase{"FirstTick", 0, 0, 1024, false},
                      // Play starts with frame 0 one look-ahead away: the first slices are rendered at once, then nothing until it comes.
                      TargetCase{"BeforeFrameZero", -nanosecondsFor(1024), 0, 1024, false},
                      // A frame before frame 0 is still before it: nothing beyond the look-ahead is due.
                      TargetCase{"JustBeforeFrameZero", -nanosecondsFor(1) - 1, 1024, 1024, false},
                      TargetCase{"OneSliceLater", nanosecondsFor(256) + 1, 1024, 1280, false},
                      TargetCase{"ASecondIn", kSecond, 45056, 45124, false},
                      // A tick that comes late but within the look-ahead and one slice catches up.
                      TargetCase{"LateByOneSlice", nanosecondsFor(1024 + 256) + 1, 1024, 2304, false},
                      TargetCase{"LateByMoreThanASlice", nanosecondsFor(1024 + 257) + 1, 1024, 2048, true},
                      TargetCase{"TenSecondStall", 10 * kSecond, 2048, 3072, true},
                      TargetCase{"APeriodShorterThanTheLookAheadKeepsIt", 0, 0, 1024, false, periodOf(768)},
                      // A message must reach the output before the cycle holding its time begins, and a tick may be late.
                      TargetCase{"APeriodOfTheLookAheadTakesASliceMore", 0, 0, 1280, false, periodOf(1024)},
                      TargetCase{"ALongPeriodTakesASliceMore", nanosecondsFor(256) + 1, 4352, 4352 + 256, false, periodOf(4096)},
                      TargetCase{"AStallAtALongPeriod", nanosecondsFor(2048 + 257) + 1, 2048, 2048 + 2304, true, periodOf(2048)},
                      // Another server rate: the period's duration in our frames, rounded up.
                      TargetCase{"APeriodAt48kHz", 0, 0, 1882 + 256, false, periodOf(2048, 48'000)},
                      TargetCase{"APeriodAt22kHz", 0, 0, 4096 + 256, false, periodOf(2048, 22'050)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::link::render_clock
