#include <gtest/gtest.h>

#include "editor/views/notespool/mini_keyboard_overview.h"
#include "platform/ui/harness.h"
#include "tests/platform/ui/golden.h"

#include <optional>
#include <vector>

namespace pulvan::views {
namespace {

constexpr double stripWidth = 600;  // 8 points a white key

struct OverviewRig {
    double scrollLeft = 1080, viewport = 400, content = 2700;
    std::vector<double> requests;
    ui::Harness harness{[this] { return view(); }, {stripWidth, 40}};

    ui::View view() {
        return MiniKeyboardOverview{
            .pool = {60, 61, 64, 67},
            .scrollLeft = scrollLeft,
            .viewportWidth = viewport,
            .contentWidth = content,
            .onScrollRequest = [this](double x) { requests.push_back(x); },
        }
            .frame({.width = stripWidth, .height = 40});
    }
};

TEST(MiniKeyboardOverview, FrameAndShades) {
    struct Case {
        const char* name;
        double scrollLeft, viewport, content;
        double frameX, frameW;
    };
    const Case cases[] = {
        {"the visible part", 1080, 400, 2700, 240, 88.889},
        {"a keyboard wider than its content: the whole strip", 0, 3000, 2700, 0, 600},
        {"before the keyboard reported: 16 points at the left end", 0, 0, 0, 0, 16},
        {"a very narrow window stays 16 points inside the strip", 2700, 1, 2700, 584, 16},
        {"an offset past the end is held to the largest", 9999, 400, 2700, 511.111, 88.889},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto m = MiniKeyboardOverview{.scrollLeft = c.scrollLeft, .viewportWidth = c.viewport, .contentWidth = c.content}.measure(
            {stripWidth, 40});
        EXPECT_NEAR(m.frameX, c.frameX, 0.001);
        EXPECT_NEAR(m.frameW, c.frameW, 0.001);
    }
}

TEST(MiniKeyboardOverview, DragsAndClicks) {
    struct Case {
        const char* name;
        std::function<void(ui::Harness&)> input;
        std::vector<double> requests;
    };
    const Case cases[] = {
        {"dragging the frame scales the distance to the keyboard",
         [](ui::Harness& h) {
             h.drag({280, 20}, {300, 20}, 2);
         },
         {1080, 1125, 1170}},
        {"dragging past the left end asks for 0",
         [](ui::Harness& h) {
             h.drag({280, 20}, {-100, 20}, 1);
         },
         {1080, 0}},
        {"dragging past the right end asks for the largest offset",
         [](ui::Harness& h) {
             h.drag({240, 20}, {900, 20}, 1);
         },
         {1080, 2300}},
        {"a click outside the frame centres on it",
         [](ui::Harness& h) {
             h.click({100, 20});
         },
         {250}},
        {"a click near the left end asks for 0",
         [](ui::Harness& h) {
             h.click({2, 20});
         },
         {0}},
        {"a click near the right end asks for the largest offset",
         [](ui::Harness& h) {
             h.click({598, 20});
         },
         {2300}},
        {"a drag from outside onto the frame waits for the release",
         [](ui::Harness& h) {
             h.drag({100, 20}, {280, 20}, 3);
         },
         {1060}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OverviewRig rig;
        c.input(rig.harness);
        EXPECT_EQ(rig.requests, c.requests);
    }
}

TEST(MiniKeyboardOverview, Drawing) {
    OverviewRig rig;
    ui::expectMatchesGolden(rig.harness.render(), "mini_keyboard_overview");
}

}  // namespace
}  // namespace pulvan::views
