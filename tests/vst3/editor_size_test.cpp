#include "vst3/editor_size.h"

#include <gtest/gtest.h>

#include "vst3/host_time.h"

#include <limits>

namespace kez {
namespace {

using Steinberg::ViewRect;

struct SizeCase {
    ViewRect in;
    ViewRect out;
};

class ConstrainEditorRect : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ConstrainEditorRect, KeepsAspectAndMinimumWithoutMovingLeftTop) {
    ViewRect rect = GetParam().in;
    constrainEditorRect(rect);
    EXPECT_EQ(rect.left, GetParam().out.left);
    EXPECT_EQ(rect.top, GetParam().out.top);
    EXPECT_EQ(rect.right, GetParam().out.right);
    EXPECT_EQ(rect.bottom, GetParam().out.bottom);
}

INSTANTIATE_TEST_SUITE_P(Rects, ConstrainEditorRect,
                         ::testing::Values(SizeCase{{0, 0, 1000, 1000}, {0, 0, 1000, 570}}, SizeCase{{0, 0, 300, 100}, {0, 0, 640, 365}},
                                           SizeCase{{0, 0, 1280, 730}, {0, 0, 1280, 730}}, SizeCase{{0, 0, 2000, 400}, {0, 0, 2001, 1141}},
                                           SizeCase{{10, 20, 1290, 750}, {10, 20, 1290, 750}}, SizeCase{{0, 0, 0, 0}, {0, 0, 640, 365}},
                                           SizeCase{{50, 50, 10, 10}, {50, 50, 690, 415}},
                                           // Hostile edges: differences beyond 32 bits, results clamped to the range.
                                           SizeCase{{-2147483647 - 1, 0, 2147483647, 100}, {-2147483647 - 1, 0, 2147483647, 2147483647}},
                                           SizeCase{{2147483000, 0, -2147483647 - 1, 2147483647}, {2147483000, 0, 2147483640, 365}},
                                           SizeCase{{0, -2147483647 - 1, 640, 2147483647}, {0, -2147483647 - 1, 640, -2147483283}}));

TEST(InitialEditorRect, UsesTheStoredWidthOrTheDefault) {
    const ViewRect fromWidth = initialEditorRect(1600.0);
    EXPECT_EQ(fromWidth.getWidth(), 1601);  // the aspect rounds back up
    EXPECT_EQ(fromWidth.getHeight(), 913);  // round(912.5)
    for (double none : {0.0, -4.0, std::numeric_limits<double>::quiet_NaN()}) {
        const ViewRect rect = initialEditorRect(none);
        EXPECT_EQ(rect.getWidth(), 1280);
        EXPECT_EQ(rect.getHeight(), 730);
    }
    EXPECT_EQ(initialEditorRect(100.0).getWidth(), 640);
}

TEST(HostTime, HostSystemTimeIsUsedOnlyWithinOneSecondOfOurClock) {
    const auto now = static_cast<std::int64_t>(blockHostTimeNs(false, 0));
    const auto close = now + 400'000'000;
    EXPECT_EQ(blockHostTimeNs(true, close), static_cast<std::uint64_t>(close));
    const std::uint64_t far = blockHostTimeNs(true, now + 2'000'000'000);
    EXPECT_LT(far, static_cast<std::uint64_t>(now + 1'000'000'000));
    EXPECT_GE(far, static_cast<std::uint64_t>(now));
    EXPECT_NE(blockHostTimeNs(true, -5), static_cast<std::uint64_t>(-5));
}

TEST(HostTime, SecondsToNanosecondsTruncatesAndRefusesNonsense) {
    EXPECT_EQ(secondsToNanoseconds(0.5), 500'000'000u);
    EXPECT_EQ(secondsToNanoseconds(1.0 / 48000.0), 20'833u);
    EXPECT_EQ(secondsToNanoseconds(0.0), 0u);
    EXPECT_EQ(secondsToNanoseconds(-1.0), 0u);
    EXPECT_EQ(secondsToNanoseconds(std::numeric_limits<double>::quiet_NaN()), 0u);
    EXPECT_EQ(secondsToNanoseconds(std::numeric_limits<double>::infinity()), ~std::uint64_t{0});
}

}  // namespace
}  // namespace kez
