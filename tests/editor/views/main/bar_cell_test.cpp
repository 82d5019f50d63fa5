#include "editor/views/main/bar_cell.h"

#include <gtest/gtest.h>

#include "editor/views/shell/theme.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/harness.h"
#include "platform/ui/layout.h"

#include <variant>

namespace pulvan::views {
namespace {

using model::LaneKind;

// The horizontal grid lines and the bars or blocks a cell draws.
struct Drawn {
    int gridLines = 0;
    std::vector<ui::Rect> bars;
};

Drawn draw(const BarCell& cell) {
    ui::Harness h([cell] { return ui::View(cell); }, {40, 124});
    Drawn drawn;
    for (const auto& command : h.root().displayList().commands()) {
        if (const auto* stroke = std::get_if<ui::draw::Stroke>(&command); stroke && stroke->color == themeBorderColor.opacity(0.7))
            for (const auto& e : stroke->path.elements()) drawn.gridLines += e.verb == ui::Path::Verb::move;
        if (const auto* fill = std::get_if<ui::draw::Fill>(&command); fill && fill->color.red == cell.accent.red)
            drawn.bars.push_back(fill->path.bounds());
    }
    return drawn;
}

TEST(BarCell, GridLinesFollowTheRangeUpToTheThreshold) {
    const struct {
        LaneKind kind;
        int lines;
    } cases[] = {{LaneKind::octave, 5}, {LaneKind::notes, 11}, {LaneKind::tie, 1}, {LaneKind::gate, 0}, {LaneKind::velocity, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(draw({.config = laneConfig(c.kind), .laneKind = c.kind, .accent = colorFromHex(0x3FC1D1)}).gridLines, c.lines)
            << model::rawValue(c.kind);
}

// The cell is 40 x 124 padded by 2: 36 x 120 inside.
TEST(BarCell, BarsAndBlocksStandWhereTheirValuesAre) {
    const ui::Color accent = colorFromHex(0x3FC1D1);
    BarCell chord{.config = laneConfig(LaneKind::notes), .accent = accent};
    chord.blockValues = std::vector<int>{7, 0, 4, 4};
    struct Case {
        const char* name;
        BarCell cell;
        std::vector<ui::Rect> bars;
    };
    const std::vector<Case> cases{
        {"velocity at its minimum draws nothing", {.value = 0, .config = laneConfig(LaneKind::velocity), .accent = accent}, {}},
        {"velocity at its maximum fills the cell",
         {.value = 127, .config = laneConfig(LaneKind::velocity), .accent = accent},
         {{2, 2, 36, 120}}},
        {"octave +3 fills the upper half", {.value = 3, .config = laneConfig(LaneKind::octave), .accent = accent}, {{2, 2, 36, 60}}},
        {"octave -3 fills the lower half", {.value = -3, .config = laneConfig(LaneKind::octave), .accent = accent}, {{2, 62, 36, 60}}},
        {"octave 0 draws only the centre line", {.value = 0, .config = laneConfig(LaneKind::octave), .accent = accent}, {}},
        {"a chord in any order, a row once", chord, {{2, 114, 36, 6}, {2, 74, 36, 6}, {2, 44, 36, 6}}},
        {"probability 6 lights the top row",
         {.value = 6, .config = laneConfig(LaneKind::probability), .laneKind = LaneKind::probability, .accent = accent},
         {{2, 4, 36, 120.0 / 7 - 4}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Drawn drawn = draw(c.cell);
        ASSERT_EQ(drawn.bars.size(), c.bars.size());
        for (std::size_t i = 0; i < c.bars.size(); ++i) {
            EXPECT_NEAR(drawn.bars[i].y, c.bars[i].y, 0.01);
            EXPECT_NEAR(drawn.bars[i].height, c.bars[i].height, 0.01);
            EXPECT_NEAR(drawn.bars[i].width, c.bars[i].width, 0.01);
        }
    }
}

// Every bar and block is a rounded rectangle of radius 2 with continuous corners, filled in the accent
// with a 1-pt border at half its opacity: drawn 8 times larger, where a circular corner would show,
// the cell looks exactly like that shape at the bar's place (over the centre line of a bipolar lane).
TEST(BarCell, BarsAndBlocksHaveContinuousCorners) {
    const ui::Color accent = colorFromHex(0x3FC1D1);
    const struct {
        const char* name;
        BarCell cell;
        ui::Rect bar;
    } cases[] = {
        {"a velocity bar", {.value = 127, .config = laneConfig(LaneKind::velocity), .accent = accent}, {2, 2, 36, 120}},
        {"a notes block", {.value = 4, .config = laneConfig(LaneKind::notes), .accent = accent, .gridThreshold = 0}, {2, 74, 36, 6}},
        {"an octave bar below the centre",
         {.value = -3, .config = laneConfig(LaneKind::octave), .accent = accent, .gridThreshold = 0},
         {2, 62, 36, 60}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ui::Rect bar = c.bar;
        const bool centreLine = c.cell.config.bipolar;
        const auto described = [accent, bar, centreLine] {
            using namespace ui;
            return zstack({unit::topLeading},
                          centreLine
                              ? rectangle().fill(makeSRGBColor(1.0 / 3, 1.0 / 3, 1.0 / 3)).frame({.width = 36, .height = 1}).offset(2, 61.5)
                              : View(),
                          continuousRoundedRectangle(2)
                              .fill(accent)
                              .overlay(continuousRoundedRectangle(2).stroke(accent.opacity(0.5), 1))
                              .frame({.width = bar.width, .height = bar.height})
                              .offset(bar.x, bar.y))
                .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = unit::topLeading});
        };
        const ui::Bitmap drawn = ui::Harness([cell = c.cell] { return ui::View(cell); }, {40, 124}, 8).render();
        EXPECT_EQ(drawn.compare(ui::Harness(described, {40, 124}, 8).render(), 2).differingPixels, 0);
    }
}

}  // namespace
}  // namespace pulvan::views
