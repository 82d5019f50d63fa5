// Every pixel a view inks lies within the bounds it is damaged, culled and recorded by: a text's glyphs beyond its
// measured box, a shadow's whole blur, at scales below, at and above one pixel a point and at any fraction of one.
#include <gtest/gtest.h>

#include "platform/ui/bitmap.h"
#include "platform/ui/content.h"
#include "platform/ui/harness.h"
#include "platform/ui/layout.h"

#include <cmath>
#include <functional>
#include <string>

namespace pulvan::ui {
namespace {

struct Inked {
    int outside = 0;      // pixels inked beyond the drawn bounds
    int beyondFrame = 0;  // pixels inked beyond the view's frame
};

// The view alone on a clear window, its top-left corner at (x, y).
Inked inkOf(const View& view, double x, double y, double scale) {
    Harness h([&] { return zstack({.alignment = unit::topLeading}, view.offset(x, y).testId("view")); }, {160, 100}, scale);
    const Rect bounds = h.root().rootNode()->drawnBounds(), frame = h.frame("view");
    Bitmap bitmap(static_cast<int>(std::ceil(160 * scale)), static_cast<int>(std::ceil(100 * scale)));
    bitmap.render(h.root().wholeDisplayList(), scale);
    const auto within = [&](const Rect& r, int px, int py) {
        return px + 1 > r.x * scale && px < r.maxX() * scale && py + 1 > r.y * scale && py < r.maxY() * scale;
    };
    Inked inked;
    for (int py = 0; py < bitmap.height(); ++py)
        for (int px = 0; px < bitmap.width(); ++px) {
            if (bitmap.pixel(px, py).alpha <= 0) continue;
            if (!within(bounds, px, py)) ++inked.outside;
            if (!within(frame, px, py)) ++inked.beyondFrame;
        }
    return inked;
}

struct Case {
    const char* name;
    std::function<View()> view;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ViewInk : public ::testing::TestWithParam<Case> {};

TEST_P(ViewInk, LiesWithinItsDrawnBoundsBeyondItsFrame) {
    int beyondFrame = 0;
    for (const double scale : {0.75, 1.0, 1.25, 1.5, 2.0})
        for (const double shift : {0.0, 0.3, 0.5, 0.8}) {
            const Inked inked = inkOf(GetParam().view(), 40 + shift, 30 + shift, scale);
            EXPECT_EQ(inked.outside, 0) << "at scale " << scale << " shifted " << shift;
            beyondFrame += inked.beyondFrame;
        }
    EXPECT_GT(beyondFrame, 0) << "nothing inked beyond the frame: the case tests nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Views, ViewInk,
    ::testing::Values(
        // A 'j' hooks left of its advance, an 'f' reaches right of it; glyphs hinted onto whole pixels.
        Case{"AText", [] { return text("jGyf Wolf").font(Font::system(28, FontWeight::semibold)); }},
        // As the notes pool's audition button, and blurs from the smallest to a dialog's.
        Case{"AShadowBelow", [] { return color(Color::white()).frame({.width = 48, .height = 20}).shadow(Color::black(), 6, 0, 3); }},
        Case{"ASmallShadow", [] { return color(Color::white()).frame({.width = 30, .height = 20}).shadow(Color::black(), 1.5, 0.5, 1); }},
        Case{"AShadowOfTwo", [] { return color(Color::white()).frame({.width = 30, .height = 20}).shadow(Color::black(), 2, 1, 1); }},
        Case{"AWideShadow", [] { return color(Color::white()).frame({.width = 30, .height = 20}).shadow(Color::black(), 12, -3, 8); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::ui
