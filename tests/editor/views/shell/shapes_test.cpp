#include "editor/views/shell/shapes.h"

#include <gtest/gtest.h>

#include "editor/views/shell/dot_texture.h"
#include "editor/views/shell/floppy_disk_icon.h"
#include "platform/ui/harness.h"
#include "tests/editor/views/shell_gallery.h"
#include "tests/platform/ui/golden.h"

#include <variant>

namespace pulvan::views {
namespace {

using ui::Path;
using ui::Point;
using Verb = Path::Verb;

// The path's verbs and end points (a curve's end point, not its control).
struct Outline {
    std::vector<Verb> verbs;
    std::vector<Point> ends;
};
Outline outline(const Path& path) {
    Outline o;
    for (const auto& e : path.elements()) {
        o.verbs.push_back(e.verb);
        if (e.verb == Verb::quad) o.ends.push_back(e.points[1]);
        else if (e.verb != Verb::close) o.ends.push_back(e.points[0]);
    }
    return o;
}

TEST(Shapes, Outlines) {
    constexpr Verb M = Verb::move, L = Verb::line, Q = Verb::quad, Z = Verb::close;
    struct Case {
        const char* name;
        ui::ShapeView shape;
        ui::Rect rect;
        std::vector<Verb> verbs;
        std::vector<Point> ends;
    };
    const Case cases[] = {
        {"radius cut to half the shorter side",
         RoundedCorners{20, allCorners},
         {0, 0, 30, 10},
         {M, L, Q, L, Q, L, Q, L, Q, Z},
         {{5, 0}, {25, 0}, {30, 5}, {30, 5}, {25, 10}, {5, 10}, {0, 5}, {0, 5}, {5, 0}}},
        {"no corners: the plain rectangle",
         RoundedCorners{6, UIRectCorner{}},
         {2, 3, 20, 10},
         {M, L, L, L, L, Z},
         {{2, 3}, {22, 3}, {22, 13}, {2, 13}, {2, 3}}},
        {"top corners only",
         RoundedCorners{4, {topLeft, topRight}},
         {0, 0, 20, 10},
         {M, L, Q, L, L, L, Q, Z},
         {{4, 0}, {16, 0}, {20, 4}, {20, 10}, {0, 10}, {0, 4}, {4, 0}}},
        {"tab: open, no bottom edge",
         TabTopBorder{6},
         {0, 0, 40, 20},
         {M, L, Q, L, Q, L},
         {{0, 20}, {0, 6}, {6, 0}, {34, 0}, {40, 6}, {40, 20}}},
        {"tab narrower than its radius: the curves overlap",
         TabTopBorder{10},
         {0, 0, 12, 30},
         {M, L, Q, L, Q, L},
         {{0, 30}, {0, 10}, {10, 0}, {2, 0}, {12, 10}, {12, 30}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outline o = outline(c.shape.shape()(c.rect));
        EXPECT_EQ(o.verbs, c.verbs);
        EXPECT_EQ(o.ends, c.ends);
    }
    // The control point of a corner is the rectangle's corner: a quadratic curve, not an arc.
    EXPECT_EQ(RoundedCorners(4, topRight).shape()({0, 0, 20, 10}).elements()[2].points[0], (Point{20, 0}));
}

// Everything the root view drew of one kind of command.
template <typename Command>
std::vector<Command> drawn(ui::Harness& harness) {
    std::vector<Command> found;
    for (const auto& c : harness.root().displayList().commands())
        if (const auto* command = std::get_if<Command>(&c)) found.push_back(*command);
    return found;
}

TEST(DotTexture, DotsWhoseCentresLieInside) {
    struct Case {
        ui::Size size;
        double diameter, spacing;
        std::vector<double> xs, ys;  // dot centres
    };
    const Case cases[] = {
        {{10, 4}, 1.3, 3, {0.65, 3.65, 6.65, 9.65}, {0.65, 3.65}},
        {{10, 4}, 9, 3, {}, {}},  // larger than twice the height
        {{10, 4}, 1, 0, {}, {}},  // no spacing: nothing rather than no end
        {{2, 10}, 5, 3, {}, {}},  // wider than twice the width
    };
    constexpr double scale = 10;  // a dot is 13 pixels across: its centre and the gaps are plain to see
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.diameter << " every " << c.spacing);
        ui::Harness harness([&] { return DotTexture{Color::white(), c.spacing, c.diameter}; }, c.size, scale);
        const ui::Bitmap image = harness.render();
        // White dots on the harness's black window.
        const auto lit = [&](double x, double y) { return image.pixel(static_cast<int>(x * scale), static_cast<int>(y * scale)).red; };
        for (double y : c.ys)
            for (double x : c.xs) {
                EXPECT_GT(lit(x, y), 0.9) << "a dot at " << x << ", " << y;
                EXPECT_EQ(lit(x + c.spacing / 2, y), 0) << "a gap after " << x << ", " << y;
                EXPECT_EQ(lit(x, y + c.spacing / 2), 0) << "a gap below " << x << ", " << y;
            }
        if (c.xs.empty()) {
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) ASSERT_EQ(image.pixel(x, y).red, 0) << x << ", " << y;
        }
    }
}

TEST(FloppyDiskIcon, StrokesThreePathsTwelfthOfItsSide) {
    ui::Harness harness([] { return ui::View(FloppyDiskIcon{}).frame({.width = 14, .height = 20}); }, {14, 20});
    const auto strokes = drawn<ui::draw::Stroke>(harness);
    ASSERT_EQ(strokes.size(), 3u);
    for (const auto& s : strokes) {
        EXPECT_NEAR(s.style.width, 1.1667, 1e-4);
        EXPECT_EQ(s.style.cap, ui::LineCap::round);
        EXPECT_EQ(s.style.join, ui::LineJoin::round);
    }
    // Square, centred in the taller frame: the body's left edge at x 3 of 24 units.
    EXPECT_NEAR(strokes[0].path.bounds().minX(), 3 * 14 / 24.0, 1e-9);
    EXPECT_NEAR(strokes[0].path.bounds().minY(), 3 + 3 * 14 / 24.0, 1e-9);
}

TEST(ShellPieces, MatchGoldenImages) {
    for (const auto& piece : shellGalleryPieces()) {
        SCOPED_TRACE(piece.name);
        ui::Harness harness(piece.view, piece.size, piece.goldenScale);
        ui::expectMatchesGolden(harness.render(), piece.name);
    }
}

}  // namespace
}  // namespace pulvan::views
