// Layout numbers of the layer's containers and modifiers, read back from the frames the views got.
#include "platform/ui/layout.h"

#include <gtest/gtest.h>

#include "platform/ui/content.h"
#include "platform/ui/harness.h"

#include <functional>
#include <map>

namespace pulvan::ui {
namespace {

View box(const std::string& id, double w, double h) { return color(Color::white()).frame({.width = w, .height = h}).testId(id); }
View fill(const std::string& id) { return color(Color::white()).testId(id); }

struct LayoutCase {
    const char* name;
    Size window;
    std::function<View()> content;
    std::map<std::string, Rect> frames;
    friend void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }
};

class Layout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, PlacesEveryViewWhereTheRulesPutIt) {
    const LayoutCase& c = GetParam();
    Harness h(c.content, c.window);
    for (const auto& [id, expected] : c.frames) {
        const Rect r = h.frame(id);
        EXPECT_NEAR(r.x, expected.x, 1e-6) << id;
        EXPECT_NEAR(r.y, expected.y, 1e-6) << id;
        EXPECT_NEAR(r.width, expected.width, 1e-6) << id;
        EXPECT_NEAR(r.height, expected.height, 1e-6) << id;
    }
}

const LayoutCase layoutCases[] = {
    // The root centres what does not fill it; a leading stack lines its children up on the left.
    {"VStackLeadingWithSpacing",
     {300, 200},
     [] { return vstack({.alignment = leading, .spacing = 12}, box("a", 100, 20), box("b", 50, 30)); },
     {{"a", {100, 69, 100, 20}}, {"b", {100, 101, 50, 30}}}},
    {"VStackTrailingDefaultSpacing",
     {300, 200},
     [] { return vstack({.alignment = trailing}, box("a", 100, 20), box("b", 50, 30)); },
     {{"a", {100, 71, 100, 20}}, {"b", {150, 99, 50, 30}}}},
    // A spacer takes what is left; nothing absent counts for spacing.
    {"HStackSpacerPushesApart",
     {200, 10},
     [] { return hstack({.spacing = 0}, box("a", 50, 10), View(), spacer(), box("b", 30, 10)).frame({.width = 200, .height = 10}); },
     {{"a", {0, 0, 50, 10}}, {"b", {170, 0, 30, 10}}}},
    {"ASpacerTakesOnlyWhatTheOthersLeave",
     {100, 10},
     [] {
         return hstack({.spacing = 0}, fill("wide").frame({.minWidth = 0, .idealWidth = 80, .maxWidth = 80}), spacer(0))
             .frame({.width = 100});
     },
     {{"wide", {0, 0, 80, 10}}}},
    {"HStackSharesByFlexibility",
     {300, 10},
     [] { return hstack({.spacing = 10}, box("fixed", 40, 10), fill("f1"), fill("f2")); },
     {{"fixed", {0, 0, 40, 10}}, {"f1", {50, 0, 120, 10}}, {"f2", {180, 0, 120, 10}}}},
    {"HStackAlignsBottom",
     {100, 100},
     [] { return hstack({.alignment = bottom, .spacing = 0}, box("a", 10, 40), box("b", 10, 10)); },
     {{"a", {40, 30, 10, 40}}, {"b", {50, 60, 10, 10}}}},
    {"SpacerMinimumLength",
     {100, 100},
     [] { return hstack({.spacing = 0}, box("a", 10, 10), spacer(25), box("b", 10, 10)).fixedSize(); },
     {{"a", {27.5, 45, 10, 10}}, {"b", {62.5, 45, 10, 10}}}},
    // Padding per edge; a negative padding reaches out.
    {"PaddingPerEdge",
     {100, 100},
     [] { return box("a", 20, 20).padding({.top = 1, .leading = 2, .bottom = 3, .trailing = 4}).background(fill("bg")); },
     {{"bg", {37, 38, 26, 24}}, {"a", {39, 39, 20, 20}}}},
    {"NegativePadding",
     {100, 100},
     [] { return vstack({.spacing = 0}, box("a", 20, 20).padding(bottom, -5), box("b", 20, 20)); },
     {{"a", {40, 32.5, 20, 20}}, {"b", {40, 47.5, 20, 20}}}},
    // Frames: fixed, bounded, filling with an alignment.
    {"FlexibleFrameFillsWithAlignment",
     {300, 100},
     [] { return box("a", 20, 20).frame({.maxWidth = infinity, .alignment = leading}).background(fill("frame")); },
     {{"frame", {0, 40, 300, 20}}, {"a", {0, 40, 20, 20}}}},
    {"FrameBoundsAShape", {300, 100}, [] { return fill("a").frame({.minWidth = 50, .maxWidth = 80}); }, {{"a", {110, 0, 80, 100}}}},
    {"FixedFrameAlignsItsChild",
     {100, 100},
     [] { return box("a", 10, 10).frame({.width = 50, .height = 40, .alignment = bottom | trailing}).background(fill("f")); },
     {{"f", {25, 30, 50, 40}}, {"a", {65, 60, 10, 10}}}},
    {"FixedSizeIgnoresTheProposal", {100, 100}, [] { return box("a", 150, 10).fixedSize(); }, {{"a", {-25, 45, 150, 10}}}},
    {"AspectRatioFits", {100, 100}, [] { return fill("a").aspectRatio(2.0); }, {{"a", {0, 25, 100, 50}}}},
    // Overlays and backgrounds take the first view's size and align within it.
    {"OverlayAlignedTopTrailing",
     {100, 100},
     [] { return box("base", 60, 40).overlay(box("o", 10, 10), top | trailing); },
     {{"base", {20, 30, 60, 40}}, {"o", {70, 30, 10, 10}}}},
    {"ZStackBottomLeading",
     {100, 100},
     [] { return zstack({.alignment = bottom | leading}, box("big", 40, 30), box("small", 10, 10)); },
     {{"big", {30, 35, 40, 30}}, {"small", {30, 55, 10, 10}}}},
    // Render transforms leave the layout alone but move the frame on screen.
    {"OffsetAndScaleMoveTheDrawnFrame",
     {100, 100},
     [] { return vstack({.spacing = 0}, box("a", 20, 20).offset(5, -5), box("b", 20, 20).scaleEffect(2, top | leading)); },
     {{"a", {45, 25, 20, 20}}, {"b", {40, 50, 40, 40}}}},
    {"GridFillsColumnsOfTheMinimumWidth",
     {200, 200},
     [] {
         Views items;
         for (int i = 0; i < 5; ++i) items.push_back(fill(std::string(1, 'i').append(std::to_string(i))).frame({.height = 20}));
         return adaptiveGrid({.minimumColumnWidth = 50, .columnSpacing = 10, .rowSpacing = 4}, items).frame({.width = 200});
     },
     {{"i0", {0, 78, 60, 20}}, {"i2", {140, 78, 60, 20}}, {"i3", {0, 102, 60, 20}}, {"i4", {70, 102, 60, 20}}}},
    {"GeometryReaderGetsTheProposal",
     {120, 80},
     [] { return geometryReader([](const GeometryProxy& g) { return box("a", g.size().width / 2, g.size().height / 4); }); },
     {{"a", {0, 0, 60, 20}}}},
    // A higher layout priority is offered its share first.
    {"LayoutPriority",
     {100, 10},
     [] { return hstack({.spacing = 0}, fill("low"), fill("high").frame({.maxWidth = 70}).layoutPriority(1)); },
     {{"low", {0, 0, 30, 10}}, {"high", {30, 0, 70, 10}}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, Layout, ::testing::ValuesIn(layoutCases), [](const auto& info) { return std::string(info.param.name); });

TEST(TextLayout, BaselinesLineUpAndOneLineTextsFitTheirFrame) {
    Harness h(
        [] {
            return vstack({.spacing = 0},
                          hstack({.alignment = firstTextBaseline}, text("Big").font(Font::system(24)).testId("big"),
                                 text("small").font(Font::system(10)).testId("small")),
                          text("A long name that cannot fit").lineLimit(1).frame({.width = 60}).testId("cut"),
                          text("A long name that wraps onto lines").frame({.width = 60}).testId("wrapped"));
        },
        {200, 200});
    const auto baseline = [&](const std::string& id) { return h.frame(id).y + *h.find(id)->firstBaseline(h.frame(id).size()); };
    EXPECT_NEAR(baseline("big"), baseline("small"), 0.01);
    EXPECT_GT(h.frame("big").height, h.frame("small").height);
    EXPECT_LE(h.frame("cut").width, 60);
    EXPECT_GT(h.frame("wrapped").height, 2 * h.frame("cut").height);
}

}  // namespace
}  // namespace pulvan::ui
