#include "tests/editor/views/notespool/keyboard_rig.h"
#include "tests/platform/ui/golden.h"

#include <functional>

namespace pulvan::views {
namespace {

using ui::Point;
using ui::ScrollPhase;

class KeyboardViewTest : public test::StoreTest {};

// Centred on C3 the window starts at white key 30: C3 (60) spans 180...216, C#3 (61) 203...229 above y 93.
// c3Left and c3Right lie 19 points apart on C3, so a move between them starts a long press on it.
constexpr Point c3{198, 140}, c3Left{182, 140}, c3Right{201, 140}, d3{234, 140}, e3{270, 140}, cSharp3{216, 40};

TEST(KeyboardGeometry, KeysAndHits) {
    const KeyboardGeometry g;
    EXPECT_EQ(g.whiteCount(), 75);
    EXPECT_EQ(g.contentWidth(), 2700);
    EXPECT_EQ(g.keyCenter(60), 1278);
    struct Case {
        const char* name;
        Point at;
        double scrollLeft;
        std::optional<int> note;
    };
    const Case cases[] = {
        {"a white key", {18, 150}, 0, 0},
        {"a black key", {36, 10}, 0, 1},
        {"a black key's left edge", {23, 93}, 0, 1},
        {"a black key's right edge", {49, 0}, 0, 1},
        {"just left of a black key", {22.9, 50}, 0, 0},
        {"below a black key: the white key under it", {40, 94}, 0, 2},
        {"scrolled", {18, 150}, 1080, 52},
        {"the last key", {2699, 150}, 0, 127},
        {"above", {18, -0.1}, 0, std::nullopt},
        {"below", {18, 155.1}, 0, std::nullopt},
        {"left of the content", {-1, 150}, 0, std::nullopt},
        {"right of the content", {2700, 150}, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(g.hitTest(c.at, c.scrollLeft), c.note);
    }
}

TEST_F(KeyboardViewTest, CentresC3WhenItFirstHasAWidth) {
    auto store = makeStore();
    KeyboardRig rig(*store, {});
    // 1278 - 200 = 1078 lands on whole white key 30.
    EXPECT_EQ(rig.scrollLeft, 1080);
    EXPECT_EQ(rig.viewportWidth, 400);
    EXPECT_EQ(rig.contentWidth, 2700);
    EXPECT_NEAR(rig.harness.frame("keyboardKeys").x, -1080, 0.5);
}

struct Script {
    const char* name;
    std::vector<int> pool;
    bool audition;
    bool grab;
    std::function<void(KeyboardRig&)> steps;
    std::vector<std::string> expected;
    std::vector<int> poolAfter;
};

void runScripts(const std::vector<Script>& scripts, const std::function<std::unique_ptr<store::SequencerStore>()>& make) {
    for (const Script& s : scripts) {
        SCOPED_TRACE(s.name);
        auto store = make();
        KeyboardRig rig(*store, s.pool, s.audition, s.grab);
        s.steps(rig);
        EXPECT_EQ(rig.log, s.expected);
        EXPECT_EQ(rig.pool, s.poolAfter);
    }
}

TEST_F(KeyboardViewTest, TapsAndLongPresses) {
    const std::vector<Script> scripts = {
        {"a tap adds a note and sounds it for 0.14 s",
         {},
         true,
         true,
         [](KeyboardRig& r) {
             r.harness.click(c3);
             r.harness.advance(0.13);
             r.log.push_back("|");
             r.harness.advance(0.02);
         },
         {"toggle 60", "on 60/3", "|", "off 60/3"},
         {60}},
        {"a tap on a black key", {}, false, true, [](KeyboardRig& r) { r.harness.click(cSharp3); }, {"toggle 61"}, {61}},
        {"a tap that removes a note sounds nothing",
         {60},
         true,
         true,
         [](KeyboardRig& r) {
             r.harness.click(c3);
             r.harness.advance(1);
         },
         {"toggle 60"},
         {}},
        {"held 0.15 s: a grab holding its audition note until release",
         {60},
         true,
         true,
         [](KeyboardRig& r) {
             r.harness.press(c3);
             r.harness.advance(0.15);
             r.log.push_back("|");
             r.harness.release(c3);
             r.harness.advance(0.2);
         },
         {"on 60/3", "|", "off 60/3"},
         {60}},
        {"dragged past 18 points at once: a grab that moves key by key, the audition following",
         {60},
         true,
         true,
         [](KeyboardRig& r) {
             r.harness.press(c3Left);
             r.harness.move(c3Right);
             r.harness.move(d3);
             r.harness.move(e3);
             r.harness.release(e3);
         },
         {"on 60/3", "move 60>62", "off 60/3", "on 62/3", "move 62>64", "off 62/3", "on 64/3", "off 64/3"},
         {64}},
        {"a long press outside the pool with audition on adds the note and grabs it",
         {},
         true,
         true,
         [](KeyboardRig& r) {
             r.harness.press(c3);
             r.harness.advance(0.2);
             r.harness.release(c3);
         },
         {"toggle 60", "on 60/3", "off 60/3"},
         {60}},
        {"a long press outside the pool with audition off does nothing",
         {},
         false,
         true,
         [](KeyboardRig& r) {
             r.harness.press(c3);
             r.harness.advance(0.2);
             r.harness.release(c3);
         },
         {},
         {}},
        {"grabbing off: a long press does nothing, not even a tap",
         {60},
         true,
         false,
         [](KeyboardRig& r) {
             r.harness.press(c3);
             r.harness.advance(0.2);
             r.harness.move(d3);
             r.harness.release(d3);
         },
         {},
         {60}},
        {"a refused move leaves the grab on its source",
         {60},
         false,
         true,
         [](KeyboardRig& r) {
             r.movesAllowed = false;
             r.harness.press(c3Left);
             r.harness.move(c3Right);
             r.harness.move(d3);
             r.harness.move(e3);
             r.harness.release(e3);
         },
         {"move 60>62", "move 60>64"},
         {60}},
        {"a lost grab releases the held audition note",
         {60},
         true,
         true,
         [](KeyboardRig& r) {
             r.harness.press(c3);
             r.harness.advance(0.2);
             r.harness.root().cancelPointer();
             r.harness.update();
             r.log.push_back("|");
             r.harness.click(d3);
         },
         {"on 60/3", "off 60/3", "|", "toggle 62", "on 62/3"},
         {60, 62}},
        {"switching audition off while holding ends the note and the grab",
         {60},
         true,
         true,
         [](KeyboardRig& r) {
             r.harness.press(c3);
             r.harness.advance(0.2);
             r.auditionEnabled = false;
             r.rebuild();
             r.harness.update();
             r.harness.move(d3);
             r.harness.release(d3);
         },
         {"on 60/3", "off 60/3"},
         {60}},
        {"a tap's note taken over by a long press stops at the long press's release",
         {},
         true,
         true,
         [](KeyboardRig& r) {
             r.harness.click(c3);
             r.harness.press(c3Left);
             r.harness.move(c3Right);
             r.harness.advance(0.2);
             r.log.push_back("|");
             r.harness.release(c3Right);
         },
         {"toggle 60", "on 60/3", "on 60/3", "|", "off 60/3"},
         {60}},
    };
    runScripts(scripts, [this] { return makeStore(); });
}

TEST_F(KeyboardViewTest, Scrolling) {
    struct Case {
        const char* name;
        std::function<void(KeyboardRig&)> steps;
        double scrollLeft;
    };
    const Case cases[] = {
        {"a two-finger pan moves by whole white keys",
         [](KeyboardRig& r) {
             r.harness.scroll({200, 80}, 0, 0, ScrollPhase::began, true);
             r.harness.scroll({200, 80}, -50, 0, ScrollPhase::changed, true);
             r.harness.scroll({200, 80}, 0, 0, ScrollPhase::ended, true);
         },
         1116},
        {"a pan stops at the ends",
         [](KeyboardRig& r) {
             r.harness.scroll({200, 80}, 0, 0, ScrollPhase::began, true);
             r.harness.scroll({200, 80}, 5000, 0, ScrollPhase::changed, true);
         },
         0},
        {"the mouse wheel is ignored",
         [](KeyboardRig& r) {
             r.harness.scroll({200, 80}, -100, -100);
         },
         1080},
        {"a pool whose lowest note is off screen scrolls to two white keys before it",
         [](KeyboardRig& r) {
             r.scrollRequest = {1, {}, {72, 20}};
             r.rebuild();
             r.harness.advance(0.3);
         },
         36 * 10},
        {"a pool whose lowest note shows in part does not scroll",
         [](KeyboardRig& r) {
             r.scrollRequest = {1, {}, {51}};
             r.rebuild();
             r.harness.advance(0.3);
         },
         1080},
        {"an outside request moves to whole keys",
         [](KeyboardRig& r) {
             r.requestedScrollLeft = 500;
             r.rebuild();
         },
         504},
        {"an outside request within a point is ignored",
         [](KeyboardRig& r) {
             r.requestedScrollLeft = 1080.8;
             r.rebuild();
         },
         1080},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto store = makeStore();
        KeyboardRig rig(*store, {});
        rig.requestedScrollLeft = rig.scrollLeft;
        rig.rebuild();
        c.steps(rig);
        EXPECT_EQ(rig.scrollLeft, c.scrollLeft);
        EXPECT_NEAR(rig.harness.frame("keyboardKeys").x, -c.scrollLeft, 0.5);
    }
}

// The activity bar of C3 sits 4 points below the key's top edge.
bool litAtC3(KeyboardRig& rig) {
    const ui::Color c = rig.harness.render().pixel(198, 8);
    return c.red > 0.8 && c.green > 0.65 && c.blue < 0.35;
}

TEST_F(KeyboardViewTest, LitKeysFollowThePlayheadAndHoldAMoment) {
    auto store = makeStore();
    KeyboardRig rig(*store, {});
    EXPECT_FALSE(litAtC3(rig));
    const auto sound = [&](std::set<int> notes) {
        store->playhead.activeTrackNotes.set(std::move(notes));
        rig.harness.update();
    };
    rig.harness.root().takeDamage();
    sound({60});
    const ui::Rect damage = rig.harness.root().takeDamage().bounds();
    EXPECT_LE(damage.height, 12) << "a tick repaints the bar alone, not the keyboard";
    EXPECT_LE(damage.width, 36);
    EXPECT_TRUE(damage.contains({190, 8})) << "where C3's bar is";
    EXPECT_TRUE(litAtC3(rig));
    sound({});
    rig.harness.advance(0.09);
    EXPECT_TRUE(litAtC3(rig)) << "held 0.1 s after the note stopped";
    sound({60});
    rig.harness.advance(0.05);
    sound({});
    rig.harness.advance(0.06);
    EXPECT_TRUE(litAtC3(rig)) << "a note that sounded again holds from its new end";
    rig.harness.advance(0.06);
    EXPECT_FALSE(litAtC3(rig));
}

}  // namespace
}  // namespace pulvan::views

namespace pulvan::views {
namespace {

// Pool keys white and black, a lit key, and a refused grab: the source dimmed, the pointed key outlined.
TEST_F(KeyboardViewTest, Drawing) {
    auto store = makeStore();
    KeyboardRig rig(*store, {60, 61, 64, 67}, false);
    store->playhead.activeTrackNotes.set({64, 66});
    rig.movesAllowed = false;
    rig.harness.press(c3Left);
    rig.harness.move(c3Right);
    rig.harness.move(d3);
    ui::expectMatchesGolden(rig.harness.render(), "keyboard");
}

}  // namespace
}  // namespace pulvan::views
