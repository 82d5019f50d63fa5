#include "engine/step_timing.h"

#include <gtest/gtest.h>

#include "tests/support/engine_harness.h"

#include <vector>

namespace pulvan::engine {
namespace {
namespace layout = config_layout;
using test::ConfigBuilder;

struct LengthCase {
    int resolution;
    double expected;
};

class StepLengthTable : public ::testing::TestWithParam<LengthCase> {};

TEST_P(StepLengthTable, PlainDottedAndTripletCodes) { EXPECT_DOUBLE_EQ(stepLength(GetParam().resolution), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Codes, StepLengthTable,
                         ::testing::Values(LengthCase{16, 0.25}, LengthCase{8, 0.5}, LengthCase{116, 0.375}, LengthCase{216, 1.0 / 6.0},
                                           LengthCase{316, 0.25}, LengthCase{100, 6.0}, LengthCase{1, 4.0}, LengthCase{32, 0.125},
                                           LengthCase{204, 2.0 / 3.0}, LengthCase{0, 4.0}, LengthCase{-16, 4.0}));

// Schedules track 0, every gate on, over [from, to).
std::unique_ptr<StepScratch> schedule(int resolution, int swing, double from, double to) {
    ConfigBuilder config;
    config.swing(swing).pool({60}).perTrack(layout::kResolutions, 0, resolution).allSteps(layout::kGateSteps, 0, 1);
    auto scratch = std::make_unique<StepScratch>();
    scratch->clear();
    scheduleTrackSteps(config.decoded(), 0, false, *scratch, 0.0, from, to, 4.0);
    return scratch;
}

std::vector<double> stepTimes(int resolution, int swing, double from, double to) {
    const auto scratch = schedule(resolution, swing, from, to);
    std::vector<double> times;
    for (int i = 0; i < scratch->stepCount; ++i) times.push_back(scratch->steps[i].time);
    return times;
}

struct SwingCase {
    int resolution;
    int swing;
    double from, to;
    std::vector<double> expected;
};

class Swing : public ::testing::TestWithParam<SwingCase> {};

TEST_P(Swing, DelaysOnlyOddStraightSixteenthsAndThirtySeconds) {
    const auto& c = GetParam();
    const auto times = stepTimes(c.resolution, c.swing, c.from, c.to);
    ASSERT_EQ(times.size(), c.expected.size());
    for (size_t i = 0; i < times.size(); ++i) EXPECT_DOUBLE_EQ(times[i], c.expected[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Swing, Swing,
    ::testing::Values(SwingCase{16, 75, 0.0, 1.0, {0.0, 0.375, 0.5, 0.875}}, SwingCase{16, 66, 0.0, 0.5, {0.0, 0.33}},
                      SwingCase{32, 75, 0.0, 0.5, {0.0, 0.125, 0.375, 0.375}},  // every fourth only
                      SwingCase{16, 75, 1.0, 2.0, {1.0, 1.375, 1.5, 1.875}},
                      SwingCase{16, 75, 2.0, 2.5, {2.0, 2.375}},  // 1.875 was the last window's
                      SwingCase{16, 50, 0.0, 1.0, {0.0, 0.25, 0.5, 0.75}}, SwingCase{8, 75, 0.0, 2.0, {0.0, 0.5, 1.0, 1.5}},
                      SwingCase{4, 75, 0.0, 4.0, {0.0, 1.0, 2.0, 3.0}}, SwingCase{116, 75, 0.0, 1.5, {0.0, 0.375, 0.75, 1.125}},
                      SwingCase{216, 75, 0.0, 0.5, {0.0, 1.0 / 6.0, 1.0 / 3.0}}, SwingCase{12, 75, 0.0, 1.0, {0.0, 1.0 / 3.0, 2.0 / 3.0}}));

TEST(ScheduleTrackSteps, AHugeWindowStopsAtTheScratchAndSaysSo) {
    const auto scratch = schedule(16, 50, 0.0, 1e15);  // returns promptly
    EXPECT_EQ(scratch->stepCount, kMaxScheduledSteps);
    EXPECT_EQ(scratch->overflow, 1);
}

}  // namespace
}  // namespace pulvan::engine
