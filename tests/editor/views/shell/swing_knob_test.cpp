#include <gtest/gtest.h>

#include "editor/views/shell/top_bar_swing_knob.h"
#include "platform/ui/harness.h"

namespace pulvan::views {
namespace {

using ui::View;

TEST(TopBarSwingKnob, StepsAndSwings) {
    const TopBarSwingKnob knob{};
    const std::pair<int, double> steps[] = {{40, 0}, {50, 0}, {51, 1}, {60, 38.125}, {63, 50.5}, {75, 100}, {90, 100}};
    for (const auto& [swing, step] : steps) EXPECT_DOUBLE_EQ(knob.stepForSwing(swing), step) << swing;
    const std::pair<double, int> swings[] = {{-3, 50}, {0, 50}, {0.01, 51}, {1, 51}, {50.5, 63}, {51.625, 63}, {100, 75}, {150, 75}};
    for (const auto& [step, swing] : swings) EXPECT_EQ(knob.swingForStep(step), swing) << step;
}

TEST(TopBarSwingKnob, DragsReportASwingOnEveryMove) {
    struct Case {
        const char* name;
        int value;
        double dy;  // points, down positive
        int lastReported;
    };
    const Case cases[] = {
        {"a touch without movement on a knob showing 40 reports 50", 40, 0, 50},
        {"on a knob showing 90 it reports 75", 90, 0, 75},
        {"30 points up from 60: step 38.125 to 51.625", 60, -30, 63},
        {"one percent is about 9 points", 60, -9, 61},
        {"far down stops at 50", 60, 400, 50},
        {"far up stops at 75", 60, -400, 75},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> reported;
        int ends = 0;
        ui::Harness harness(
            [&] {
                return View(TopBarSwingKnob{
                                .value = c.value, .onChange = [&](int v) { reported.push_back(v); }, .onDragEnd = [&] { ++ends; }})
                    .testId("knob");
            },
            {80, 80});
        const ui::Point from = harness.center("knob");
        harness.drag(from, {from.x, from.y + c.dy}, 4);
        ASSERT_GE(reported.size(), c.dy == 0 ? 1u : 5u) << "a report at touch-down and one per move";
        EXPECT_EQ(reported.back(), c.lastReported);
        EXPECT_EQ(ends, 1);
    }
}

}  // namespace
}  // namespace pulvan::views
