// The node tree over time: state that survives rebuilds, identity, observation, transitions,
// animations, preferences with anchors, and idle frames that cost nothing.
#include <gtest/gtest.h>

#include "platform/foundation/signal.h"
#include "platform/ui/content.h"
#include "platform/ui/harness.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"
#include "platform/ui/view_modifiers.h"
#include "tests/support/allocation_counter.h"

#include <map>
#include <vector>

namespace pulvan::ui {
namespace {

// A counter kept in view-local state, shown as its width so tests can read it from the frame.
struct Counter {
    std::string id;
    int* evaluations = nullptr;
    View body(BuildContext& context) const {
        if (evaluations) ++*evaluations;
        auto count = context.state<int>(1);
        return color(Color::white())
            .frame({.width = double(*count), .height = 10})
            .onTapGesture([count] { count.set(*count + 1); })
            .testId(id);
    }
};

TEST(Tree, StateSurvivesRebuildsFollowsIdentityAndDiesWithTheView) {
    std::vector<std::string> order = {"a", "b"};
    bool showB = true;
    Harness h(
        [&] {
            Views rows;
            for (const auto& id : order)
                if (id != "b" || showB) rows.push_back(View(Counter{id}).id(id));
            rows.push_back(Counter{"unnamed"});  // after named siblings: kept by its place among the unnamed
            return vstack({.spacing = 0}, rows);
        },
        {100, 100});
    h.clickOn("b");
    h.clickOn("b");
    EXPECT_EQ(h.frame("b").width, 3);
    h.clickOn("unnamed");
    order = {"b", "a"};  // reordered: identity keeps each counter's state
    h.root().invalidate();
    h.update();
    EXPECT_EQ(h.frame("b").width, 3);
    EXPECT_EQ(h.frame("a").width, 1);
    EXPECT_EQ(h.frame("unnamed").width, 2);
    showB = false;  // gone and back: a fresh state
    h.root().invalidate();
    h.update();
    showB = true;
    h.root().invalidate();
    h.update();
    EXPECT_EQ(h.frame("b").width, 1);
}

TEST(Tree, AnObservedSignalRebuildsOnlyTheViewThatObservesIt) {
    struct Reader {
        foundation::Signal<>* signal;
        int* evaluations;
        View body(BuildContext& context) const {
            context.observe(*signal);
            ++*evaluations;
            return color(Color::white()).frame({.width = 5, .height = 5});
        }
    };
    foundation::Signal<> tick;
    int readerEvaluations = 0, siblingEvaluations = 0, contentCalls = 0;
    Harness h(
        [&] {
            ++contentCalls;
            return hstack({}, Reader{&tick, &readerEvaluations}, Counter{"sibling", &siblingEvaluations});
        },
        {100, 100});
    ASSERT_EQ(readerEvaluations, 1);
    tick.emit();
    tick.emit();
    h.update();
    EXPECT_EQ(readerEvaluations, 2);
    EXPECT_EQ(siblingEvaluations, 1);
    EXPECT_EQ(contentCalls, 1);
}

// Layout passes after a rebuild place a view by what it answers now, not by an answer of the same proposal
// from before it grew.
TEST(Tree, AViewThatGrewIsPlacedByItsNewSizeInEveryLaterPass) {
    bool grown = false;
    Harness h(
        [&] {
            return vstack({}, color(Color::white()).frame({.width = 10, .height = 10}).testId("top"),
                          grown ? color(Color::white()).frame({.width = 10, .height = 50}) : View());
        },
        {100, 100});
    EXPECT_EQ(h.frame("top").y, 45);
    grown = true;
    h.root().invalidate();
    h.update();
    EXPECT_EQ(h.frame("top").y, 16);
    h.root().requestLayout();
    h.update();
    EXPECT_EQ(h.frame("top").y, 16);
}

TEST(Tree, InsertionAndRemovalFadeOnTheClockAndARemovedViewTakesNoHits) {
    bool shown = false;
    int taps = 0;
    Harness h(
        [&] {
            return zstack({}, color(Color::black()),
                          shown ? color(colorFromRGB(0xFF0000)).onTapGesture([&] { ++taps; }).transition(Transition::opacity()) : View());
        },
        {10, 10});
    const auto red = [&] { return h.render().pixel(5, 5).red; };
    shown = true;
    h.root().invalidate();
    h.update();
    EXPECT_NEAR(red(), 0, 0.01);
    h.advance(0.075);  // half way through the 0.15 s ease-in-out
    EXPECT_NEAR(red(), 0.5, 0.05);
    h.advance(0.1);
    EXPECT_NEAR(red(), 1, 0.01);
    shown = false;
    h.root().invalidate();
    h.update();
    h.click({5, 5});
    EXPECT_EQ(taps, 0);
    EXPECT_NEAR(red(), 1, 0.01);
    h.advance(0.075);
    EXPECT_NEAR(red(), 0.5, 0.05);
    h.advance(0.1);
    EXPECT_NEAR(red(), 0, 0.01);
    EXPECT_FALSE(h.root().nextAnimationFrame());
}

TEST(Tree, AnimatedValuesFollowTheirCurveOnTheStepClock) {
    double target = 0;
    struct Bar : ViewModifiers<Bar> {
        double target = 0;
        View body(BuildContext& context) const {
            const double width = context.animated(target, Animation::linear(1));
            return color(Color::white()).frame({.width = width, .height = 1}).testId("bar");
        }
    };
    Harness h([&] { return Bar{.target = target}.frame({.width = 200, .alignment = leading}); }, {200, 10});
    target = 100;
    h.root().invalidate();
    h.update();
    EXPECT_EQ(h.frame("bar").width, 0);
    h.advance(0.25);
    EXPECT_NEAR(h.frame("bar").width, 25, 1e-6);
    h.advance(1);
    EXPECT_EQ(h.frame("bar").width, 100);
    EXPECT_FALSE(h.root().nextAnimationFrame());
}

struct AnchorsKey {
    using Value = std::map<std::string, Anchor>;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, Value next) { value.merge(next); }
};

// A control deep in a scaled, offset container publishes its bounds; an overlay resolves them in its own space.
struct AnchoredPanel {
    View body(BuildContext& context) const {
        auto anchors = context.state<AnchorsKey::Value>();
        const View control = color(Color::white()).frame({.width = 20, .height = 10}).anchorPreference<AnchorsKey>([](const Anchor& a) {
            return AnchorsKey::Value{{"control", a}};
        });
        const View panel = geometryReader([anchors](const GeometryProxy& g) {
            const auto it = anchors->find("control");
            const Rect r = it == anchors->end() ? Rect{} : g.resolve(it->second);
            return color(Color::white()).frame({.width = r.width, .height = r.height}).testId("panel").offset(r.x, r.y);
        });
        return zstack({}, control.padding(30).scaleEffect(2, top | leading).offset(7, 3), panel.padding({.top = 5, .leading = 11}))
            .onPreferenceChange<AnchorsKey>([anchors](const AnchorsKey::Value& v) { anchors.set(v); });
    }
};

TEST(Tree, AnchorsResolveInTheSpaceOfTheViewThatReadsThem) {
    Harness h([] { return AnchoredPanel{}; }, {200, 200});
    EXPECT_EQ(h.frame("panel"), (Rect{127, 128, 40, 20}));
}

TEST(Tree, OnChangeRunsOncePerChangeAndNotOnAppearing) {
    int value = 1;
    std::vector<int> seen;
    Harness h([&] { return color(Color::white()).onChange<int>(value, [&](const int& v) { seen.push_back(v); }); }, {10, 10});
    for (int next : {1, 2, 2, 5}) {
        value = next;
        h.root().invalidate();
        h.update();
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 5}));
}

TEST(Tree, AFrameInWhichNothingChangedAllocatesNothing) {
    Harness h([] { return vstack({}, text("Pulvan"), Counter{"c"}, color(Color::white()).frame({.width = 10, .height = 10})); },
              {100, 100});
    h.render();
    h.hover({50, 50});
    h.root().takeDamage();
    test::ScopedAllocationCount allocations;
    h.root().update();
    EXPECT_TRUE(h.root().takeDamage().isEmpty());
    EXPECT_EQ(allocations.count(), 0u);
}

}  // namespace
}  // namespace pulvan::ui
