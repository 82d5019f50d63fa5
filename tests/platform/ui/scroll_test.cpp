// Scroll views, hover, cursors and tooltips through the root.
#include <gtest/gtest.h>

#include "platform/ui/content.h"
#include "platform/ui/harness.h"
#include "platform/ui/layout.h"
#include "platform/ui/scroll_view.h"

#include <memory>
#include <string>

namespace pulvan::ui {
namespace {

// Ten rows of 20 points in a scroll view capped at 50 points.
struct ScrollFixture {
    std::shared_ptr<ScrollController> controller = std::make_shared<ScrollController>();
    Harness h{[this] {
                  Views rows;
                  for (int i = 0; i < 10; ++i)
                      rows.push_back(color(Color::white()).frame({.height = 20}).testId(std::string(1, 'r').append(std::to_string(i))));
                  return scrollView({.controller = controller, .coordinateSpace = "list"}, vstack({.spacing = 0}, rows))
                      .frame({.maxHeight = 50})
                      .testId("scroll");
              },
              {100, 100}};
    double rowY(int i) { return h.find(std::string(1, 'r').append(std::to_string(i)))->frameIn("list").y; }
};

TEST(ScrollView, TakesItsContentsHeightUpToItsCapAndScrollsByWheelWithinItsContent) {
    ScrollFixture f;
    EXPECT_EQ(f.h.frame("scroll").height, 50);
    f.h.scroll(f.h.center("scroll"), 0, 2);  // two line steps of 16 points
    EXPECT_EQ(f.controller->offset(), 32);
    EXPECT_EQ(f.rowY(0), -32);
    f.h.scroll(f.h.center("scroll"), 0, 400, ScrollPhase::changed, true);
    EXPECT_EQ(f.controller->offset(), 150);  // 200 of content, 50 shown
    f.h.scroll(f.h.center("scroll"), 0, -1000, ScrollPhase::changed, true);
    EXPECT_EQ(f.controller->offset(), 0);
}

TEST(ScrollView, ScrollsToAChildsEdgeAnimatedOnTheClock) {
    ScrollFixture f;
    f.controller->scrollToChild("r5", bottom, Animation::linear(0.2));
    f.h.update();
    f.h.advance(0.1);
    EXPECT_NEAR(f.controller->offset(), 35, 0.5);  // half way to 70: row 5 ends at 120, 50 shown
    f.h.advance(0.2);
    EXPECT_EQ(f.controller->offset(), 70);
    EXPECT_EQ(f.rowY(5) + 20, 50);
    EXPECT_FALSE(f.h.root().nextAnimationFrame());
}

TEST(ScrollView, ContentThatFitsDoesNotScroll) {
    auto controller = std::make_shared<ScrollController>();
    Harness h([&] { return scrollView({.controller = controller}, color(Color::white()).frame({.height = 30})).testId("s"); }, {100, 100});
    h.scroll(h.center("s"), 0, 3);
    EXPECT_EQ(controller->offset(), 0);
    EXPECT_EQ(h.frame("s").height, 30);
}

TEST(Hover, CursorsAndATooltipAfterTheRest) {
    Harness h(
        [] {
            return hstack({.spacing = 0},
                          color(Color::white()).frame({.width = 50, .height = 50}).cursor(CursorShape::pointingHand).help("Undo"),
                          color(Color::white()).frame({.width = 50, .height = 50}));
        },
        {100, 50});
    h.hover({10, 10});
    EXPECT_EQ(h.root().cursor(), CursorShape::pointingHand);
    h.advance(0.9);
    EXPECT_FALSE(h.root().tooltip());
    h.hover({12, 10});  // moving within the same view keeps the wait
    h.advance(0.2);
    ASSERT_TRUE(h.root().tooltip());
    EXPECT_EQ(h.root().tooltip()->text, "Undo");
    h.hover({70, 10});
    EXPECT_EQ(h.root().cursor(), CursorShape::arrow);
    EXPECT_FALSE(h.root().tooltip());
}

}  // namespace
}  // namespace pulvan::ui
