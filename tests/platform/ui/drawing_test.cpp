#include <gtest/gtest.h>

#include "platform/ui/bitmap.h"
#include "platform/ui/image.h"
#include "platform/ui/symbols.h"
#include "tests/platform/ui/golden.h"
#include "tests/platform/ui/ink_within.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>

namespace pulvan::ui {
namespace {

constexpr double pi = std::numbers::pi;
const Color ink = colorFromRGB(0x1F2937);
const Color accent = colorFromRGB(0x2563EB);
const Color warm = colorFromRGB(0xDC2626);

Bitmap render(Size size, double scale, const DisplayList& list, Color background = Color::white()) {
    Bitmap bitmap(static_cast<int>(std::ceil(size.width * scale)), static_cast<int>(std::ceil(size.height * scale)));
    bitmap.render(list, scale, background);
    return bitmap;
}

Path polyline(std::initializer_list<Point> points) {
    Path path;
    for (Point p : points) path.isEmpty() ? path.moveTo(p) : path.lineTo(p);
    return path;
}

void drawPaths(DisplayList& list) {
    list.add(draw::Fill{Path{}.addRoundedRect({10, 10, 60, 40}, 10), accent});
    list.add(draw::Stroke{Path{}.moveTo({80, 50}).quadTo({130, 50}, {105, 5}), ink, {3}});
    list.add(draw::Stroke{Path{}.moveTo({140, 50}).cubicTo({190, 50}, {150, 0}, {180, 100}), ink, {2}});
    const LineCap caps[] = {LineCap::butt, LineCap::round, LineCap::square};
    const LineJoin joins[] = {LineJoin::miter, LineJoin::round, LineJoin::bevel};
    for (int i = 0; i < 3; ++i) {
        const double y = 80 + 20 * i;
        list.add(draw::Stroke{polyline({{20, y}, {60, y}}), warm, {8, caps[i]}});
        list.add(draw::Stroke{polyline({{20, y}, {60, y}}), Color::black(), {0.5}});
        list.add(draw::Stroke{
            polyline({{80.0 + 30 * i, 130}, {92.0 + 30 * i, 85}, {104.0 + 30 * i, 130}}), accent, {8, LineCap::butt, joins[i]}});
    }
    // A pentagram: even-odd leaves the middle open, non-zero fills it.
    Path star;
    for (int k = 0; k < 5; ++k) {
        const double a = -pi / 2 + k * 4 * pi / 5;
        const Point p{230 + 25 * std::cos(a), 100 + 25 * std::sin(a)};
        star.isEmpty() ? star.moveTo(p) : star.lineTo(p);
    }
    star.close();
    list.add(draw::Fill{star, ink, FillRule::evenOdd});
    list.add(draw::Fill{star.transformed(Transform::translation(0, -60)), accent, FillRule::nonZero});
    list.add(draw::Save{});
    list.add(draw::ClipPath{Path{}.addEllipse({264, 6, 28, 28})});
    list.add(draw::Concat{Transform::translation(278, 20).after(Transform::rotation(pi / 4))});
    list.add(draw::Fill{Path{}.addRect({-20, -4, 40, 8}), warm});
    list.add(draw::Restore{});
}

void drawGroupOpacity(DisplayList& list) {
    // Left: the pair as one layer at half opacity. Right: each shape at half opacity on its own.
    list.add(draw::BeginGroup{0.5});
    list.add(draw::Fill{Path{}.addEllipse({10, 10, 40, 40}), warm});
    list.add(draw::Fill{Path{}.addEllipse({30, 10, 40, 40}), accent});
    list.add(draw::EndGroup{});
    list.add(draw::Fill{Path{}.addEllipse({90, 10, 40, 40}), warm.opacity(0.5)});
    list.add(draw::Fill{Path{}.addEllipse({110, 10, 40, 40}), accent.opacity(0.5)});
}

void drawShadow(DisplayList& list) {
    list.add(draw::BeginShadow{Color::black().opacity(0.5), 8, {0, 4}});
    list.add(draw::Fill{Path{}.addRoundedRect({20, 16, 80, 40}, 10), Color::white()});
    list.add(draw::EndGroup{});
}

void drawSymbolSheet(DisplayList& list) {
    struct Row {
        double size;
        FontWeight weight;
    };
    const Row rows[] = {{13, FontWeight::regular}, {13, FontWeight::bold}, {24, FontWeight::light}, {24, FontWeight::bold}};
    for (int r = 0; r < 4; ++r) {
        for (int s = 0; s < 14; ++s) {
            const Size size = symbolSize(static_cast<Symbol>(s), rows[r].size);
            const Rect cell{s * 32.0, r * 32.0, 32, 32};
            drawSymbol(list, static_cast<Symbol>(s), {cell.midX() - size.width / 2, cell.midY() - size.height / 2, size.width, size.height},
                       rows[r].weight, ink);
        }
    }
}

struct GoldenCase {
    const char* name;
    Size size;
    double scale;
    std::function<void(DisplayList&)> draw;
};

class DrawingGolden : public testing::TestWithParam<GoldenCase> {};

TEST_P(DrawingGolden, MatchesGoldenImage) {
    DisplayList list;
    GetParam().draw(list);
    expectMatchesGolden(render(GetParam().size, GetParam().scale, list), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Drawing, DrawingGolden,
                         testing::Values(GoldenCase{"paths", {300, 140}, 2, drawPaths},
                                         GoldenCase{"group_opacity", {160, 60}, 2, drawGroupOpacity},
                                         GoldenCase{"shadow", {120, 80}, 2, drawShadow},
                                         GoldenCase{"symbols", {14 * 32, 4 * 32}, 2, drawSymbolSheet}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Drawing, GroupOpacityComposesTheGroupOnceWhereShapesOverlap) {
    DisplayList list;
    drawGroupOpacity(list);
    const Bitmap bitmap = render({160, 60}, 1, list);
    // In the group the top shape hides the one below it; drawn one by one, both show through.
    const Color groupOverlap = bitmap.pixel(40, 30), groupTopOnly = bitmap.pixel(60, 30);
    EXPECT_NEAR(groupOverlap.green, groupTopOnly.green, 0.01);
    EXPECT_NEAR(groupOverlap.red, groupTopOnly.red, 0.01);
    EXPECT_GT(std::abs(bitmap.pixel(120, 30).green - bitmap.pixel(140, 30).green), 0.15);
}

TEST(Drawing, ShadowFallsBlurredAtItsOffsetAndNowhereFar) {
    DisplayList list;
    drawShadow(list);
    const Bitmap bitmap = render({120, 80}, 1, list);
    const double below = bitmap.pixel(60, 59).red, above = bitmap.pixel(60, 13).red;
    EXPECT_LT(below, 0.9);                     // the shadow shows under the bottom edge,
    EXPECT_LT(below, above);                   // more than over the top edge: it moved down
    EXPECT_LT(bitmap.pixel(60, 68).red, 1.0);  // blurred past the moved edge,
    EXPECT_GT(bitmap.pixel(60, 68).red, below);
    EXPECT_EQ(bitmap.pixel(60, 78), Color::white());  // and gone further out
    EXPECT_EQ(bitmap.pixel(60, 36), Color::white());  // the content covers its own shadow
}

TEST(Drawing, ShadowedContentKeepsWhatItDrawsThroughTransformsAndWideStrokes) {
    // The group is composed only as large as its content: moved, scaled and stroked content must all fit.
    DisplayList list;
    list.add(draw::BeginShadow{Color::black(), 2, {0, 3}});
    list.add(draw::Save{});
    list.add(draw::Concat{Transform::translation(40, 10).after(Transform::scale(2, 2))});
    list.add(draw::Fill{Path{}.addRect({0, 0, 10, 10}), accent});
    list.add(draw::Restore{});
    list.add(draw::Stroke{polyline({{10, 60}, {30, 60}}), warm, {10, LineCap::square, LineJoin::round}});
    list.add(draw::EndGroup{});
    const Bitmap bitmap = render({100, 80}, 1, list);
    EXPECT_EQ(bitmap.pixel(58, 28), bitmap.pixel(42, 12));  // the whole square, scaled about its corner
    EXPECT_NEAR(bitmap.pixel(58, 28).blue, accent.blue, 0.01);
    EXPECT_LT(bitmap.pixel(50, 32).red, 0.5);              // its shadow below it
    EXPECT_NEAR(bitmap.pixel(6, 60).red, warm.red, 0.01);  // the square cap past the line's start
    EXPECT_EQ(bitmap.pixel(58, 5), Color::white());
}

TEST(Drawing, ShadowRepaintedInPartMatchesTheWhole) {
    // Damage repaints clip to a small rectangle: the shadow in it must not change with the clip.
    DisplayList whole;
    drawShadow(whole);
    const Rect damage{50, 50, 20, 12};
    DisplayList part;
    part.add(draw::ClipRect{damage});
    drawShadow(part);
    const Bitmap expected = render({120, 80}, 2, whole), repainted = render({120, 80}, 2, part);
    for (int y = 2 * static_cast<int>(damage.y); y < 2 * damage.maxY(); ++y)
        for (int x = 2 * static_cast<int>(damage.x); x < 2 * damage.maxX(); ++x)
            ASSERT_EQ(repainted.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
}

// A stroke inks nothing beyond its bounds: a rectangle's miter corners, a sharp miter within its limit, one past it
// (beveled), a square cap, at scales below, at and above one pixel a point.
TEST(Drawing, StrokesInkWithinTheirDrawnBounds) {
    Path rectangle, sharp, open;
    rectangle.addRect({20, 20, 60, 30});
    sharp.moveTo({20, 60}).lineTo({50, 20}).lineTo({80, 60}).close();
    open.moveTo({20, 20}).lineTo({80, 60});
    struct Case {
        const char* name;
        Path path;
        StrokeStyle style;
    };
    for (const Case& c : {Case{"a rectangle", rectangle, StrokeStyle{4}}, Case{"a sharp triangle", sharp, StrokeStyle{4}},
                          Case{"a sharp triangle past the limit", sharp, StrokeStyle{4, LineCap::butt, LineJoin::miter, 1.5}},
                          Case{"a square cap", open, StrokeStyle{6, LineCap::square}}})
        for (const double scale : {0.75, 1.0, 1.25}) {
            SCOPED_TRACE(std::string(c.name) + " at scale " + std::to_string(scale));
            test::expectInkWithinDrawnBounds(draw::Stroke{c.path, Color::white(), c.style}, scale, {100, 80});
        }
}

TEST(Drawing, QuadraticCurveKeepsItsShape) {
    // The curve passes through (50, 50) at its middle; its control point (50, 10) pulls it but is off the curve.
    DisplayList list;
    list.add(draw::Stroke{Path{}.moveTo({10, 90}).quadTo({90, 90}, {50, 10}), Color::black(), {2}});
    const Bitmap bitmap = render({100, 100}, 1, list);
    EXPECT_LT(bitmap.pixel(50, 50).red, 0.5);
    EXPECT_EQ(bitmap.pixel(50, 30), Color::white());
    EXPECT_EQ(bitmap.pixel(50, 12), Color::white());
}

TEST(Drawing, ArcsTurnTheAskedWayAndStayOnTheCircle) {
    struct Case {
        bool clockwise;
        Point end;
        Point through;  // a point the arc passes
    };
    const Case cases[] = {{true, {50, 70}, {50 + 20 / std::numbers::sqrt2, 50 + 20 / std::numbers::sqrt2}}, {false, {50, 70}, {50, 30}}};
    for (const Case& c : cases) {
        const Path arc = Path{}.arc({50, 50}, 20, 0, pi / 2, c.clockwise);
        const Path::Element& last = arc.elements().back();
        EXPECT_NEAR(last.points[2].x, c.end.x, 1e-9);
        EXPECT_NEAR(last.points[2].y, c.end.y, 1e-9);
        double nearest = infinity;
        Point start = arc.elements().front().points[0];
        for (const Path::Element& e : arc.elements()) {
            if (e.verb != Path::Verb::cubic) continue;
            for (double t = 0; t <= 1; t += 0.125) {
                const double u = 1 - t;
                const Point p{
                    u * u * u * start.x + 3 * u * u * t * e.points[0].x + 3 * u * t * t * e.points[1].x + t * t * t * e.points[2].x,
                    u * u * u * start.y + 3 * u * u * t * e.points[0].y + 3 * u * t * t * e.points[1].y + t * t * t * e.points[2].y};
                EXPECT_NEAR(distance(p, {50, 50}), 20, 0.01);
                nearest = std::min(nearest, distance(p, c.through));
            }
            start = e.points[2];
        }
        EXPECT_LT(nearest, 0.5) << "clockwise " << c.clockwise;
    }
}

TEST(Drawing, RoundedRectangleCornersAreCutToHalfTheShorterSide) {
    const Rect r{0, 0, 40, 20};
    EXPECT_EQ(shapes::roundedRectangle(100)(r), shapes::capsule()(r));
    const Rect bounds = shapes::roundedRectangle(100)(r).bounds();
    EXPECT_NEAR(bounds.y, 0, 1e-9);
    EXPECT_NEAR(bounds.maxX(), 40, 1e-9);
    EXPECT_NEAR(bounds.maxY(), 20, 1e-9);
    EXPECT_NE(shapes::roundedRectangle(5)(r), shapes::capsule()(r));
}

TEST(Drawing, UnbalancedCommandsLeaveTheContextUsable) {
    DisplayList list;
    list.add(draw::Restore{});
    list.add(draw::EndGroup{});
    list.add(draw::Save{});
    list.add(draw::ClipRect{{0, 0, 10, 20}});
    list.add(draw::BeginGroup{1});
    list.add(draw::Fill{Path{}.addRect({0, 0, 20, 20}), Color::black()});  // the group is never closed
    const Bitmap bitmap = render({20, 20}, 1, list);
    EXPECT_EQ(bitmap.pixel(5, 10), Color::black());
    EXPECT_EQ(bitmap.pixel(15, 10), Color::white());
}

TEST(Drawing, ImagesAreScaledIntoTheirDestination) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("pulvan_ui_image_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    // Four 4-pixel squares of four colours.
    const Color colours[4] = {warm, accent, ink, Color::white()};
    DisplayList squares;
    for (int i = 0; i < 4; ++i) squares.add(draw::Fill{Path{}.addRect({4.0 * (i % 2), 4.0 * (i / 2), 4, 4}), colours[i]});
    ASSERT_TRUE(render({8, 8}, 1, squares).writePNG((folder / "squares.png").string()));
    std::ofstream(folder / "not_a.png") << "text";

    const auto image = Image::loadPNG((folder / "squares.png").string());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelSize(), (Size{8, 8}));
    EXPECT_FALSE(Image::loadPNG((folder / "not_a.png").string()));
    EXPECT_FALSE(Image::named("no_such_image"));

    DisplayList list;
    list.add(draw::DrawImage{image, {10, 10, 40, 40}});
    const Bitmap bitmap = render({60, 60}, 1, list, Color::clear());
    const Point centres[4] = {{20, 20}, {40, 20}, {20, 40}, {40, 40}};
    for (int i = 0; i < 4; ++i) {
        const Color c = bitmap.pixel(static_cast<int>(centres[i].x), static_cast<int>(centres[i].y));
        EXPECT_NEAR(c.red, colours[i].red, 0.01) << i;
        EXPECT_NEAR(c.blue, colours[i].blue, 0.01) << i;
    }
    EXPECT_EQ(bitmap.pixel(5, 30).alpha, 0);
    EXPECT_EQ(bitmap.pixel(55, 30).alpha, 0);
    std::filesystem::remove_all(folder);
}

TEST(Bitmap, ReadsPixelsUnpremultipliedAndSurvivesPNG) {
    DisplayList list;
    list.add(draw::Fill{Path{}.addRect({0, 0, 4, 4}), {0.2, 0.4, 0.6, 0.5}});
    const Bitmap bitmap = render({4, 4}, 1, list, Color::clear());
    const Color c = bitmap.pixel(1, 1);
    EXPECT_NEAR(c.red, 0.2, 0.01);
    EXPECT_NEAR(c.green, 0.4, 0.01);
    EXPECT_NEAR(c.blue, 0.6, 0.01);
    EXPECT_NEAR(c.alpha, 0.5, 0.01);

    const std::string path =
        (std::filesystem::temp_directory_path() / ("pulvan_ui_bitmap_" + std::to_string(::getpid()) + ".png")).string();
    ASSERT_TRUE(bitmap.writePNG(path));
    const auto read = Bitmap::readPNG(path);
    ASSERT_TRUE(read);
    const Bitmap::Difference difference = bitmap.compare(*read, 0);
    EXPECT_FALSE(difference.sizesDiffer);
    EXPECT_EQ(difference.maxChannelDelta, 0);
    EXPECT_FALSE(Bitmap::readPNG(path + ".missing"));
    std::filesystem::remove(path);
}

TEST(Bitmap, CompareCountsPixelsPastTheTolerance) {
    struct Case {
        int channelOffset;
        int tolerance;
        int differing;
    };
    for (const Case c : {Case{2, 2, 0}, Case{3, 2, 1}, Case{40, 39, 1}, Case{0, 0, 0}}) {
        DisplayList grey;
        grey.add(draw::Fill{Path{}.addRect({0, 0, 10, 10}), {0.5, 0.5, 0.5, 1}});
        DisplayList changed = grey;
        const double shifted = (128 + c.channelOffset) / 255.0;
        changed.add(draw::Fill{Path{}.addRect({3, 7, 1, 1}), {0.5, shifted, 0.5, 1}});
        const Bitmap::Difference d = render({10, 10}, 1, grey).compare(render({10, 10}, 1, changed), c.tolerance);
        EXPECT_EQ(d.differingPixels, c.differing) << c.channelOffset;
        EXPECT_EQ(d.maxChannelDelta, c.channelOffset);
    }
    EXPECT_TRUE(Bitmap(3, 4).compare(Bitmap(4, 3), 255).sizesDiffer);
}

TEST(Symbols, EveryNameTheViewsUseFindsItsSymbol) {
    const char* names[14] = {"xmark",
                             "xmark.circle.fill",
                             "arrow.uturn.backward",
                             "arrow.uturn.forward",
                             "line.3.horizontal",
                             "gearshape",
                             "bolt",
                             "chevron.down",
                             "chevron.up.chevron.down",
                             "speaker.wave.2.fill",
                             "pin",
                             "checkmark",
                             "doc",
                             "arrow.down"};
    for (int i = 0; i < 14; ++i) EXPECT_EQ(symbolNamed(names[i]), static_cast<Symbol>(i)) << names[i];
    EXPECT_FALSE(symbolNamed("xmark.circle"));
    EXPECT_FALSE(symbolNamed(""));
}

}  // namespace
}  // namespace pulvan::ui
