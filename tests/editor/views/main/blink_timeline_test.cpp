// A blinking row keeps the phase its last beat drew until its next beat, however often a layout builds it again:
// every frame painted from damage is the whole paint of the same state.
#include "editor/views/main/blink_timeline.h"

#include <gtest/gtest.h>

#include "platform/foundation/signal.h"
#include "platform/ui/content.h"
#include "platform/ui/harness.h"
#include "platform/ui/layout.h"
#include "tests/platform/ui/frames_from_damage.h"

#include <cmath>

namespace pulvan::views {
namespace {

using namespace ui;

// A box one point wider at each firing of the signal, which asks its parents to lay it out again.
struct Growing {
    foundation::Signal<>* grow;
    const int* width;
    View body(BuildContext& context) const {
        context.observe(*grow);
        return color(colorFromRGB(0x00FF00)).frame({.width = static_cast<double>(*width), .height = 20});
    }
};

TEST(BlinkTimeline, ABuildBetweenTwoBeatsKeepsThePhaseTheLastBeatDrew) {
    foundation::Signal<> grow;
    int width = 10;
    bool armed = false;
    // As the patterns row: the blinking content is built during layout, for the width it is given.
    Harness h(
        [&] {
            return geometryReader([&](const GeometryProxy&) {
                return View(BlinkTimeline{
                    .armed = armed, .content = [&](bool on) {
                        return hstack({.spacing = 0},
                                      color(on ? colorFromRGB(0xFFFFFF) : colorFromRGB(0x505050)).frame({.width = 100, .height = 20}),
                                      View(Growing{&grow, &width}).frame({.width = 50, .height = 20}));
                    }});
            });
        },
        {300, 40});
    test::FramesFromDamage frames(h, 1);
    // Armed a quarter second before a half-second turns: the next beat comes a quarter second after it.
    const double now = static_cast<double>(h.root().nowNanoseconds()) * 1e-9;
    h.advance(std::fmod(0.25 - std::fmod(now, 0.5) + 1.0, 0.5));
    armed = true;
    h.root().invalidate();
    EXPECT_EQ(frames.paintAndCompare(), 0);
    h.advance(0.35);  // the half-second turned, the beat is yet to come
    ++width;
    grow.emit();
    EXPECT_EQ(frames.paintAndCompare(), 0) << "the phase changed without a beat";
    for (int beat = 0; beat < 3; ++beat) {
        h.advance(0.5);
        EXPECT_EQ(frames.paintAndCompare(), 0) << "beat " << beat;
    }
}

}  // namespace
}  // namespace pulvan::views
