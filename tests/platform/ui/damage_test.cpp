// What a window paints from damage is the picture a whole paint of the same state gives: views that draw beyond
// their frames or around an empty one, views on a device pixel shared with the damage's edge at a scale that is
// not whole, fades, whose whole paint is of the instant the frame was recorded at, and a caret whose blink turns
// while an update runs.
#include <gtest/gtest.h>

#include "platform/foundation/signal.h"
#include "platform/ui/content.h"
#include "platform/ui/harness.h"
#include "platform/ui/layout.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/text_field.h"
#include "tests/platform/ui/frames_from_damage.h"

#include <functional>
#include <memory>

namespace pulvan::ui {
namespace {

constexpr Color kGrey = colorFromRGB(0x404040), kWhite = colorFromRGB(0xFFFFFF), kRed = colorFromRGB(0xFF0000),
                kBlue = colorFromRGB(0x0000FF);

// Built again, showing the step, each time the signal fires.
struct Stepping {
    foundation::Signal<>* changed;
    const int* step;
    std::function<View(int)> scene;
    View body(BuildContext& context) const {
        context.observe(*changed);
        return scene(*step);
    }
};

View placed(View view, double x, double y) { return zstack({.alignment = unit::topLeading}, std::move(view).offset(x, y)); }

struct Scene {
    const char* name;
    double scale;
    std::function<View(int step)> at;
};

void PrintTo(const Scene& s, std::ostream* os) { *os << s.name; }

class PaintedFromDamage : public ::testing::TestWithParam<Scene> {};

TEST_P(PaintedFromDamage, IsAWholePaintAtEveryStep) {
    foundation::Signal<> changed;
    int step = 0;
    const Scene& scene = GetParam();
    Harness h(
        [&] {
            return zstack({.alignment = unit::topLeading}, color(kGrey), View(Stepping{&changed, &step, scene.at}));
        },
        {200, 100}, scene.scale);
    test::FramesFromDamage frames(h, scene.scale);
    for (step = 1; step <= 4; ++step) {
        changed.emit();
        // A channel of a pixel on the painted area's edge may come out a few levels apart (cairo's clip).
        EXPECT_LE(frames.paintAndCompare(), 6) << "step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, PaintedFromDamage,
    ::testing::Values(
        // The outline of a bar of no height: a line the frame's drawing holds as the whole paint does.
        Scene{"AnOutlineAroundAnEmptyFrameComesAndGoes", 1,
              [](int step) { return step % 2 ? placed(rectangle().stroke(kRed, 1).frame({.width = 80, .height = 0}), 20, 50) : View(); }},
        // Only its offset changes: the same outline, drawn elsewhere.
        Scene{"AnOutlineMovedByItsOffsetAlone", 1.25,
              [](int step) { return placed(rectangle().stroke(kRed, 1).frame({.width = 40, .height = 20}), 10 + 7 * step, 30); }},
        // At 1.25 pixels a point, the line at y 10 covers pixels 12.5 to 13.75; the box changing below it from
        // y 11 (13.75) is painted from pixel row 13, which the line shares.
        Scene{"ALineOnAPixelSharedWithTheDamagesTopEdge", 1.25,
              [](int step) {
                  return zstack({.alignment = unit::topLeading}, placed(color(kWhite).frame({.width = 100, .height = 1}), 0, 10),
                                placed(color(step % 2 ? kRed : kBlue).frame({.width = 100, .height = 10}), 0, 11));
              }},
        // A view whose shadow, not the view, reaches over another that changes: the shadow is cast into the damage
        // from beyond it.
        Scene{"AShadowCastIntoTheDamageFromBeyondIt", 1.25,
              [](int step) {
                  return zstack(
                      {.alignment = unit::topLeading}, placed(color(step % 2 ? kRed : kBlue).frame({.width = 6, .height = 30}), 62, 30),
                      placed(color(kWhite).frame({.width = 48, .height = 20}).shadow(Color::black().opacity(0.5), 6, 0, 3), 70, 35));
              }},
        Scene{"ALineOnAPixelSharedWithTheDamagesLeftEdge", 1.25,
              [](int step) {
                  return zstack({.alignment = unit::topLeading}, placed(color(kWhite).frame({.width = 1, .height = 50}), 10, 0),
                                placed(color(step % 2 ? kRed : kBlue).frame({.width = 10, .height = 50}), 11, 0));
              }}),
    [](const auto& info) { return std::string(info.param.name); });

// A sibling that changes its width moves a view by layout alone: all the view drew is painted again, and all it
// draws where it now is, its outline and shadow beyond its frame too, into space nothing else damages.
TEST(PaintedFromDamage, AViewMovedByLayoutIsPaintedWhereItDrewAndWhereItDraws) {
    struct Case {
        const char* name;
        double width, growth;  // the sibling's, and by how much each step
        View moved;
    };
    const View outline = rectangle().stroke(kRed, 3).frame({.width = 40, .height = 20});
    for (const Case& c :
         {Case{"an outline, the sibling shrinking", 30, -3.3, outline},
          Case{"an outline with a shadow, the sibling growing", 10, 15, outline.shadow(Color::black().opacity(0.6), 3, 0, 2)}}) {
        SCOPED_TRACE(c.name);
        foundation::Signal<> changed;
        int step = 0;
        Harness h(
            [&] {
                const auto sibling = [&c](int s) { return color(kBlue).frame({.width = c.width + c.growth * s, .height = 20}); };
                return zstack(
                    {.alignment = unit::topLeading}, color(kGrey),
                    placed(hstack({.alignment = Edge::top, .spacing = 4}, View(Stepping{&changed, &step, sibling}), c.moved), 10, 10));
            },
            {200, 100}, 1.25);
        test::FramesFromDamage frames(h, 1.25);
        for (step = 1; step <= 4; ++step) {
            changed.emit();
            EXPECT_LE(frames.paintAndCompare(), 6) << "step " << step;
        }
    }
}

// Half way through an animation, a small view changes again and again between the animation's frames: each frame
// shows the animation as a whole paint of it does, in the damage and around it alike.
void changeBetweenAnimationFrames(Harness& h, test::FramesFromDamage& frames, foundation::Signal<>& changed, int& step) {
    h.advance(0.05);
    ASSERT_LE(frames.paintAndCompare(), 6);
    for (step = 1; step <= 6; ++step) {
        h.clock().clock().advanceSeconds(0.006);
        changed.emit();
        EXPECT_LE(frames.paintAndCompare(), 6) << "step " << step;
    }
}

View smallSquare(foundation::Signal<>& changed, const int& step) {
    return placed(View(Stepping{&changed, &step, [](int s) { return color(s % 2 ? kRed : kBlue).frame({.width = 4, .height = 4}); }}), 100,
                  40);
}

TEST(PaintedFromDamage, AFadeShowsOneLevelInAFrameThatRepaintsAPartOfIt) {
    for (const bool appearing : {true, false}) {
        SCOPED_TRACE(appearing ? "fading in" : "fading out");
        foundation::Signal<> changed;
        int step = 0;
        bool shown = !appearing;
        Harness h(
            [&] {
                return zstack({.alignment = unit::topLeading}, color(kGrey),
                              shown ? color(kWhite).frame({.width = 180, .height = 80}).transition(Transition::opacity()) : View(),
                              smallSquare(changed, step));
            },
            {200, 100});
        test::FramesFromDamage frames(h, 1);
        shown = appearing;
        h.root().invalidate();
        changeBetweenAnimationFrames(h, frames, changed, step);
    }
}

TEST(PaintedFromDamage, AnAnimatedScrollShowsOneOffsetInAFrameThatRepaintsElsewhere) {
    foundation::Signal<> changed;
    int step = 0;
    const auto controller = std::make_shared<ScrollController>();
    Harness h(
        [&] {
            Views rows;
            for (int i = 0; i < 10; ++i) rows.push_back(color(i % 2 ? kRed : kBlue).frame({.height = 20}));
            return zstack({.alignment = unit::topLeading}, color(kGrey),
                          scrollView({.controller = controller}, vstack({.spacing = 0}, rows)).frame({.width = 80, .height = 50}),
                          smallSquare(changed, step));
        },
        {200, 100});
    test::FramesFromDamage frames(h, 1);
    controller->scrollTo(100, Animation::linear(0.2));
    changeBetweenAnimationFrames(h, frames, changed, step);
}

// A fade's whole paint, taken later than its frame's drawing, shows the fade as that drawing did.
TEST(WholeDisplayList, IsOfTheInstantTheFramesDrawingWasRecordedAt) {
    bool shown = false;
    Harness h([&] { return zstack({}, color(Color::black()), shown ? color(kRed).transition(Transition::opacity()) : View()); }, {10, 10});
    shown = true;
    h.root().invalidate();
    h.update();
    h.advance(0.075);  // half way through the fade
    const DisplayList frame = h.root().displayList();
    h.clock().clock().advanceSeconds(0.05);
    EXPECT_TRUE(h.root().wholeDisplayList().commands() == frame.commands());
}

// An update that begins just before the caret's blink turns and records its drawing after it (a build slow on a busy
// machine, here one that moves the clock on): the caret, far from the damage, is painted in the phase drawn.
TEST(PaintedFromDamage, ACaretWhoseBlinkTurnsDuringAnUpdateIsPaintedInThePhaseDrawn) {
    foundation::Signal<> changed;
    int step = 0;
    foundation::ManualClock* clock = nullptr;
    const auto slowBuild = [&](int s) {
        if (s > 0) clock->advanceSeconds(0.03);
        return color(s % 2 ? kRed : kBlue).frame({.width = 20, .height = 20});
    };
    Harness h(
        [&] {
            return zstack({.alignment = unit::topLeading}, color(kGrey),
                          placed(textField({.text = "name", .focusOnAppear = true}).foregroundColor(kWhite).frame({.width = 100}), 10, 10),
                          placed(View(Stepping{&changed, &step, slowBuild}), 150, 60));
        },
        {200, 100});
    clock = &h.clock().clock();
    h.update();
    test::FramesFromDamage frames(h, 1);
    h.advance(0.48);  // the caret shown, its blink turning at 0.5 s
    ASSERT_LE(frames.paintAndCompare(), 6);
    step = 1;
    changed.emit();
    EXPECT_LE(frames.paintAndCompare(), 6) << "the caret in the phase the last frame drew";
    h.advance(0.05);
    EXPECT_LE(frames.paintAndCompare(), 6);
}

}  // namespace
}  // namespace pulvan::ui
