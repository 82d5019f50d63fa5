// Pointer, scroll and key input through the root: who gets what, in which order, and that every press ends once.
#include <gtest/gtest.h>

#include "platform/foundation/pasteboard.h"
#include "platform/ui/content.h"
#include "platform/ui/harness.h"
#include "platform/ui/layout.h"
#include "platform/ui/text_field.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace pulvan::ui {
namespace {

using Log = std::vector<std::string>;

std::string phaseName(const PointerEvent& e) {
    switch (e.phase) {
        case PointerPhase::press: return "press" + std::to_string(e.clickCount);
        case PointerPhase::move: return "move";
        case PointerPhase::release: return "release";
        case PointerPhase::cancel: return "cancel";
    }
    return "?";
}

View recorder(const std::shared_ptr<Log>& log, const std::string& name, bool simultaneous = false) {
    return color(Color::white()).onPointer([log, name](const PointerEvent& e) { log->push_back(name + ":" + phaseName(e)); }, simultaneous);
}

struct ClickCase {
    const char* name;
    double secondDelay;
    Point secondAt;
    int expectedCount;
    friend void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }
};

class ClickCounts : public ::testing::TestWithParam<ClickCase> {};

// X11 has no click counts: the root counts presses within 0.4 s and 4 points of the last one.
TEST_P(ClickCounts, FollowTimeAndDistanceOnTheInjectedClock) {
    auto log = std::make_shared<Log>();
    Harness h([&] { return recorder(log, "v"); }, {100, 100});
    h.click({50, 50});
    h.advance(GetParam().secondDelay);
    h.click(GetParam().secondAt);
    EXPECT_EQ(log->at(2), "v:press" + std::to_string(GetParam().expectedCount));
}

INSTANTIATE_TEST_SUITE_P(Cases, ClickCounts,
                         ::testing::Values(ClickCase{"Quick", 0.1, {50, 50}, 2}, ClickCase{"AtTheTimeEdge", 0.4, {50, 50}, 2},
                                           ClickCase{"TooLate", 0.41, {50, 50}, 1}, ClickCase{"AtTheDistanceEdge", 0.1, {54, 50}, 2},
                                           ClickCase{"TooFar", 0.1, {53, 53}, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PointerInput, ThirdQuickClickCountsThree) {
    auto log = std::make_shared<Log>();
    Harness h([&] { return recorder(log, "v"); }, {100, 100});
    for (int i = 0; i < 3; ++i) h.click({50, 50});
    EXPECT_EQ(*log, (Log{"v:press1", "v:release", "v:press2", "v:release", "v:press3", "v:release"}));
}

TEST(PointerInput, TheNearestHandlerTakesThePressAndASimultaneousAncestorToo) {
    auto log = std::make_shared<Log>();
    Harness h(
        [&] {
            return zstack({}, recorder(log, "plain-ancestor").frame({.width = 100, .height = 100}),
                          recorder(log, "child").frame({.width = 20, .height = 20}))
                .onPointer([log](const PointerEvent& e) { log->push_back("highlight:" + phaseName(e)); }, true);
        },
        {100, 100});
    h.drag({50, 50}, {52, 50}, 1);
    EXPECT_EQ(*log, (Log{"child:press1", "highlight:press1", "child:move", "highlight:move", "child:release", "highlight:release"}));
    log->clear();
    h.click({5, 5});
    EXPECT_EQ(*log, (Log{"plain-ancestor:press1", "highlight:press1", "plain-ancestor:release", "highlight:release"}));
}

TEST(PointerInput, ADisabledSubtreeSwallowsPressesAndTheBackdropBehindGetsNone) {
    auto log = std::make_shared<Log>();
    Harness h(
        [&] { return zstack({}, recorder(log, "backdrop"), recorder(log, "control").frame({.width = 20, .height = 20}).disabled(true)); },
        {100, 100});
    h.click({50, 50});
    EXPECT_TRUE(log->empty());
    h.click({5, 5});
    EXPECT_EQ(*log, (Log{"backdrop:press1", "backdrop:release"}));
}

// A gesture whose view leaves the tree or loses the grab gets exactly one end, then nothing more.
TEST(PointerInput, EveryPressEndsExactlyOnceWhenTheViewGoesOrTheGrabIsLost) {
    for (const bool byRemoval : {true, false}) {
        auto log = std::make_shared<Log>();
        bool shown = true;
        Harness h(
            [&] {
                return shown ? color(Color::white())
                                   .onDrag(
                                       {.minimumDistance = 0}, [log](const DragValue&) { log->push_back("changed"); },
                                       [log](const DragValue&) { log->push_back("ended"); })
                             : View();
            },
            {100, 100});
        h.press({10, 10});
        h.move({20, 10});
        if (byRemoval) {
            shown = false;
            h.root().invalidate();
            h.update();
        } else {
            h.root().cancelPointer();
        }
        h.move({30, 10});
        h.release({30, 10});
        EXPECT_EQ(*log, (Log{"changed", "changed", "ended"})) << (byRemoval ? "removal" : "lost grab");
    }
}

TEST(PointerInput, RecognisersTapDragAndLongPress) {
    auto log = std::make_shared<Log>();
    Harness h(
        [&] {
            return vstack({.spacing = 0}, color(Color::white()).frame({.height = 50}).onTapGesture([log] { log->push_back("tap"); }),
                          color(Color::white())
                              .frame({.height = 50})
                              .onDrag(
                                  {.minimumDistance = 10},
                                  [log](const DragValue& v) { log->push_back("drag " + std::to_string(int(v.translation().x))); },
                                  [log](const DragValue&) { log->push_back("end"); })
                              .onLongPressGesture({.minimumDuration = 0.5, .maximumDistance = 10}, [log] { log->push_back("long"); }));
        },
        {100, 100});
    h.drag({10, 10}, {19, 10});  // within the slop: a tap
    h.drag({10, 10}, {21, 10});  // past it: no tap
    h.drag({10, 60}, {19, 60});  // short of the drag distance
    h.drag({10, 60}, {30, 60}, 2);
    h.press({10, 60});
    h.advance(0.49);
    h.advance(0.02);
    h.release({10, 60});
    h.press({10, 60});
    h.move({25, 60});
    h.advance(1);
    h.release({25, 60});
    EXPECT_EQ(*log, (Log{"tap", "drag 10", "drag 20", "end", "long", "drag 15", "end"}));
}

TEST(ScrollInput, APhasedGestureStaysWithItsViewAndWheelStepsAreNotPhased) {
    auto log = std::make_shared<Log>();
    const auto lane = [&](const std::string& name) {
        return color(Color::white()).frame({.height = 50}).onScroll([log, name](const ScrollEvent& e) {
            log->push_back(name + (e.phase == ScrollPhase::none ? " wheel " : " phase ") + std::to_string(int(e.deltaY)));
            return true;
        });
    };
    Harness h([&] { return vstack({.spacing = 0}, lane("top"), lane("bottom")); }, {100, 100});
    h.scroll({10, 10}, 0, 3, ScrollPhase::began, true);
    h.scroll({10, 80}, 0, 4, ScrollPhase::changed, true);
    h.scroll({10, 80}, 0, 0, ScrollPhase::ended, true);
    h.scroll({10, 80}, 0, 1);
    EXPECT_EQ(*log, (Log{"top phase 3", "top phase 4", "top phase 0", "bottom wheel 1"}));
}

TEST(ScrollInput, APhasedGestureWhoseViewLeavesEndsCancelled) {
    auto log = std::make_shared<Log>();
    bool shown = true;
    Harness h(
        [&] {
            return shown ? color(Color::white()).onScroll([log](const ScrollEvent& e) {
                log->push_back(e.phase == ScrollPhase::cancelled ? "cancelled" : "scroll");
                return true;
            })
                         : View();
        },
        {100, 100});
    h.scroll({10, 10}, 0, 3, ScrollPhase::began, true);
    shown = false;
    h.root().invalidate();
    h.update();
    h.scroll({10, 10}, 0, 3, ScrollPhase::changed, true);
    EXPECT_EQ(*log, (Log{"scroll", "cancelled"}));
}

TEST(TextFieldInput, EditsSelectsPastesAndSubmits) {
    std::string value = "Bass";
    int submits = 0;
    foundation::Pasteboard::general().clearContents();
    Harness h(
        [&] {
            return textField({.text = value, .onChange = [&](const std::string& s) { value = s; }, .onSubmit = [&] { ++submits; }})
                .frame({.width = 120})
                .testId("field");
        },
        {200, 40});
    h.clickOn("field");
    h.key(XKB_KEY_End);
    h.type(" 2é");
    EXPECT_EQ(value, "Bass 2é");
    h.key(XKB_KEY_BackSpace);
    h.key(XKB_KEY_Left, shiftKey);
    h.key(XKB_KEY_Left, shiftKey);
    h.key(XKB_KEY_c, controlKey);
    h.key(XKB_KEY_Home);
    h.key(XKB_KEY_v, controlKey);
    EXPECT_EQ(value, " 2Bass 2");
    h.key(XKB_KEY_a, controlKey);
    h.type("Lead");
    h.key(XKB_KEY_Return);
    EXPECT_EQ(value, "Lead");
    EXPECT_EQ(submits, 1);
}

// A press at the box's start lands before the first character wherever the text starts: a field at rest, and a
// long text replaced by a short one, are drawn from their start.
TEST(TextFieldInput, APressAtTheBoxsStartLandsBeforeTheText) {
    const struct {
        bool editFirst;
        const char* expected;
    } cases[] = {{false, "XDeep-House-Chords-Progression"}, {true, "Xas"}};
    for (const auto& c : cases) {
        std::string value = "Deep-House-Chords-Progression";
        Harness h(
            [&] {
                return textField({.text = value, .onChange = [&](const std::string& s) { value = s; }})
                    .frame({.width = 60})
                    .testId("field");
            },
            {100, 40});
        if (c.editFirst) {
            h.clickOn("field");
            h.key(XKB_KEY_End);
            h.key(XKB_KEY_a, controlKey);
            h.type("as");
        }
        h.click({h.center("field").x - 29, 20});
        h.type("X");
        EXPECT_EQ(value, c.expected);
    }
}

// A press anywhere in the box the field's modifiers draw focuses it, the caret at the nearest offset; a button
// laid over the box keeps its press, and a press outside the box, on the label beside it too, leaves the field.
TEST(TextFieldInput, APressInTheFieldsBoxIsAPressOnTheField) {
    // In the 200 x 32 box: the field at x 10-170, y 10-26 under 4 points of top padding; "abc" 22 wide.
    const struct {
        const char* name;
        Point at;
        const char* value;  // after the press and "Z" typed
    } cases[] = {
        {"LeftPadding", {5, 18}, "Zabc"},        {"TopPadding", {18.5, 8}, "aZbc"},         {"FrameAboveThePadding", {18.5, 3}, "aZbc"},
        {"BackgroundBelow", {18.5, 29}, "aZbc"}, {"Outline", {18.5, 0.5}, "aZbc"},          {"OutlineBesideTheStart", {0.5, 16}, "Zabc"},
        {"BesideTheEnd", {173, 16}, "abcZ"},     {"TheButtonOverIt", {185, 16}, "cleared"}, {"Outside", {-3, 16}, "abc"},
        {"TheLabelBeside", {215, 16}, "abc"}};
    for (const auto& c : cases) {
        std::string value = "abc";
        Harness h(
            [&] {
                return hstack({.spacing = 8},
                              textField({.text = value, .onChange = [&](const std::string& s) { value = s; }, .focusOnAppear = true})
                                  .padding({.top = 4, .leading = 10, .trailing = 30})
                                  .frame({.width = 200, .height = 32})
                                  .background(roundedRectangle(4).fill(Color::black()))
                                  .overlay(roundedRectangle(4).strokeBorder(Color::white(), 1))
                                  .overlay(color(Color::white())
                                               .frame({.width = 16, .height = 16})
                                               .onTapGesture([&] { value = "cleared"; })
                                               .padding(Edge::trailing, 7),
                                           unit::trailing)
                                  .testId("box"),
                              text("Name"));
            },
            {260, 60});
        h.click(h.frame("box").origin() + c.at);
        h.type("Z");
        EXPECT_EQ(value, c.value) << c.name;
    }
}

// The field is one line: a pasted or given line or paragraph break or tab reads as one space, other control
// characters, C1 ones too, are dropped. Given text keeps its caret when the view is built again.
TEST(TextFieldInput, PastedLineBreaksAndTabsBecomeOneSpaceEach) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\tb\nc\r\nd", "a b c d"},
        {"\r\r\nx\n\n", "  x  "},
        {std::string("e\x1B\x7F\x01\0f", 6), "ef"},
        {"first\u2028second\u2029third", "first second third"},
        {"h\vi\fj\u0085k", "h i j k"},
        {"a\u0080\u009F\u0084b", "ab"},
        {"\u00A0\u2027\u202A", "\u00A0\u2027\u202A"},
    };
    std::string value;
    Harness h([&] { return textField({.text = value, .onChange = [&](const std::string& s) { value = s; }, .focusOnAppear = true}); },
              {200, 40});
    for (const auto& [pasted, shown] : cases) {
        foundation::Pasteboard::general().clearContents();
        foundation::Pasteboard::general().setData(foundation::Pasteboard::textType,
                                                  std::vector<std::uint8_t>(pasted.begin(), pasted.end()));
        h.key(XKB_KEY_a, controlKey);
        h.key(XKB_KEY_v, controlKey);
        EXPECT_EQ(value, shown);
    }
    for (const auto& [given, shown] : cases) {
        std::string edited = given;
        Harness g([&] { return textField({.text = edited, .onChange = [&](const std::string& s) { edited = s; }, .focusOnAppear = true}); },
                  {200, 40});
        g.key(XKB_KEY_Home);
        g.root().invalidate();
        g.update();
        g.type("X");
        EXPECT_EQ(edited, "X" + shown) << shown;
    }
}

// The keys step over and delete whole characters: a letter and its combining mark, a flag's two regional
// indicators, an emoji and its skin tone; BackSpace only a vowel sign or a point. The arrows go the way they
// point on screen, Home and End to the start and the end in text order: right-to-left text starts at the right.
// Keys: H Home, E End, < > arrows, { } with Shift, A Ctrl+A, B BackSpace, D Delete.
TEST(TextFieldInput, KeysStepOverAndDeleteWholeCharacters) {
    const std::string cafe = "Cafe\xCC\x81 noel", flag = "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA end",
                      thumb = "a\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD!", hebrew = "\u05D0\u05D1\u05D2", arabic = "\u0633\u0644\u0627\u0645",
                      mixed = "abc \u05D0\u05D1\u05D2", mixedRTL = "\u05D0\u05D1\u05D2 abc";
    const struct {
        std::string text;
        const char* keys;
        std::string value;  // after the keys and "X" typed
    } cases[] = {
        {cafe, "H>>>>", "Cafe\xCC\x81X noel"},
        {cafe, "E<<<<<B", "CafX noel"},
        {cafe, "H>>>}", "CafX noel"},
        {flag, "E<<<<B", "X end"},
        {flag, "HD", "X end"},
        {thumb, "H>>", "a\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBDX!"},
        {thumb, "E<<", "aX\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD!"},
        {thumb, "E{{", "aX"},
        {thumb, "H>D", "aX!"},
        {cafe, "HB", "XCafe\xCC\x81 noel"},
        {cafe, "H<", "XCafe\xCC\x81 noel"},
        {cafe, "A<", "XCafe\xCC\x81 noel"},
        {"e\xCC\x81", "EB", "X"},
        {hebrew, "H<", "\u05D0X\u05D1\u05D2"},
        {hebrew, "H>", "X\u05D0\u05D1\u05D2"},
        {hebrew, "E>", "\u05D0\u05D1X\u05D2"},
        {hebrew, "E<", "\u05D0\u05D1\u05D2X"},
        {hebrew, "H{{", "X\u05D2"},
        {hebrew, "E}}", "\u05D0X"},
        {hebrew, "A<", "\u05D0\u05D1\u05D2X"},
        {hebrew, "A>", "X\u05D0\u05D1\u05D2"},
        {arabic, "H<<", "\u0633\u0644X\u0627\u0645"},
        {mixed, "E<", "abc \u05D0X\u05D1\u05D2"},
        {mixed, "H>>>>>", "abc \u05D0\u05D1X\u05D2"},
        {mixedRTL, "E<", "\u05D0\u05D1\u05D2 abcX"},
        {mixedRTL, "E>>", "\u05D0\u05D1\u05D2 abXc"},
        {"\u0915\u093F", "EB", "\u0915X"},
        {"\u05E9\u05B8", "EB", "\u05E9X"},
    };
    const std::map<char, std::pair<std::uint32_t, unsigned>> keys = {
        {'H', {XKB_KEY_Home, 0}},      {'E', {XKB_KEY_End, 0}},         {'<', {XKB_KEY_Left, 0}},
        {'>', {XKB_KEY_Right, 0}},     {'{', {XKB_KEY_Left, shiftKey}}, {'}', {XKB_KEY_Right, shiftKey}},
        {'B', {XKB_KEY_BackSpace, 0}}, {'D', {XKB_KEY_Delete, 0}},      {'A', {XKB_KEY_a, controlKey}}};
    for (const auto& c : cases) {
        std::string value = c.text;
        Harness h([&] { return textField({.text = value, .onChange = [&](const std::string& s) { value = s; }, .focusOnAppear = true}); },
                  {300, 40});
        for (const char k : std::string_view(c.keys)) h.key(keys.at(k).first, keys.at(k).second);
        h.type("X");
        EXPECT_EQ(value, c.value) << c.text << " " << c.keys;
    }
}

// The selection is drawn over the characters it holds: in text that runs both ways those may stand apart, where a
// band between the carets at its two ends covered others.
TEST(TextFieldInput, TheSelectionIsDrawnOverTheCharactersItHolds) {
    const std::string text = "abc \u05D0\u05D1\u05D2";
    Harness h([&] { return textField({.text = text, .focusOnAppear = true}).frame({.width = 120}).testId("field"); }, {140, 40});
    h.key(XKB_KEY_End);
    h.key(XKB_KEY_Left, shiftKey);
    h.key(XKB_KEY_Left, shiftKey);  // the last letter in text order, drawn at the left of the right-to-left run
    const auto layout = TextEngine::shared().layout(text, {}, std::nullopt);
    const Rect field = h.frame("field");
    const Bitmap image = h.render();
    const Color background = image.pixel(0, 0);
    // The band fills a column of the field from top to bottom, the glyphs alone never do.
    const auto selected = [&](std::size_t from, std::size_t to) {
        const int x = static_cast<int>(field.x + (layout->xOf(from) + layout->xOf(to)) / 2);
        int filled = 0;
        for (int y = static_cast<int>(field.y) + 1; y < static_cast<int>(field.maxY()) - 1; ++y) filled += image.pixel(x, y) != background;
        return filled >= static_cast<int>(field.height) - 3;
    };
    // Between the carets of the offsets: space, gimel, bet, alef from left to right.
    EXPECT_FALSE(selected(3, 4));
    EXPECT_TRUE(selected(4, 8));
    EXPECT_FALSE(selected(8, 6));
    EXPECT_FALSE(selected(6, 10));
}

// A point inside a character of the field's head: the character's bytes [from, to) and how far across it.
struct Across {
    std::size_t from, to;
    double fraction;
};

struct LongTextCase {
    const char* name;
    std::string head;  // before 100 kB of pasted text, or after it when atEnd
    bool atEnd;        // the field scrolled to its end first
    Across press, release;
    std::size_t lo, hi;  // the selection then, in bytes of the head as shown
    friend void PrintTo(const LongTextCase& c, std::ostream* os) { *os << c.name; }
};

class LongTextField : public ::testing::TestWithParam<LongTextCase> {};

// Ends the test program once a row outlives its bound: work that grows with the square of the length takes
// minutes, and would run into ctest's timeout before a bound checked afterwards.
class Deadline {
public:
    Deadline(double seconds, std::string what)
        : watch_([seconds, what = std::move(what)](std::stop_token stop) {
              std::mutex mutex;
              std::condition_variable_any never;
              std::unique_lock lock(mutex);
              never.wait_for(lock, stop, std::chrono::duration<double>(seconds), [] { return false; });
              if (stop.stop_requested()) return;
              std::fprintf(stderr, "Failure: %s took more than %g s\n", what.c_str(), seconds);
              std::_Exit(1);
          }) {}

private:
    std::jthread watch_;  // its end stops the watch
};

// Well under a second each, under the sanitizers too: the bound catches work that grows with the square of
// the length, which took minutes.
TEST_P(LongTextField, APressAndADragPlaceTheCaretAndTheSelectionAtOnce) {
    const LongTextCase& c = GetParam();
    const Deadline deadline(5, std::string("a press and a drag in 100 kB, ") + c.name);
    std::string filler, head = c.head;
    while (filler.size() < 100'000) filler += "Deep House Chords ♪ ";
    std::string value = c.atEnd ? filler + head : head + filler;
    std::erase(head, '\0');
    const std::size_t shownSize = head.size() + filler.size(), start = c.atEnd ? filler.size() : 0;
    const auto width = [](std::string_view s) { return TextEngine::shared().layout(s, {}, std::nullopt)->size().width; };
    Harness h(
        [&] {
            return textField({.text = value, .onChange = [&](const std::string& s) { value = s; }, .focusOnAppear = true})
                .frame({.width = 200})
                .testId("field");
        },
        {220, 40});
    h.key(c.atEnd ? XKB_KEY_End : XKB_KEY_Home);
    const Rect field = h.frame("field");
    // The text's end stays a caret's width inside the field's right edge.
    const double origin = c.atEnd ? field.maxX() - 1.5 - width(head) : field.x;
    const auto at = [&](Across a) {
        const double from = width(std::string_view(head).substr(0, a.from)), to = width(std::string_view(head).substr(0, a.to));
        return Point{origin + from + a.fraction * (to - from), field.midY()};
    };
    h.drag(at(c.press), at(c.release), 2);
    h.type("|");
    EXPECT_EQ(value.find('|'), start + c.lo);
    EXPECT_EQ(value.size(), shownSize + 1 - (c.hi - c.lo));
}

// "Bäss é♪ Lead": B 0, ä 1-2, s 3, s 4, space 5, e 6 with its combining acute 7-8, ♪ 9-11, space 12, Lead 13-16.
const std::string bass = "Bäss e\xCC\x81♪ Lead";
INSTANTIATE_TEST_SUITE_P(
    Cases, LongTextField,
    ::testing::Values(LongTextCase{"LeftHalfOfATwoByteLetter", bass, false, {1, 3, 0.3}, {1, 3, 0.3}, 1, 1},
                      LongTextCase{"RightHalfOfATwoByteLetter", bass, false, {1, 3, 0.7}, {1, 3, 0.7}, 3, 3},
                      LongTextCase{"ACombiningMarkStaysWithItsLetter", bass, false, {6, 9, 0.7}, {6, 9, 0.7}, 9, 9},
                      LongTextCase{"LeftHalfOfAThreeByteSymbol", bass, false, {9, 12, 0.3}, {9, 12, 0.3}, 9, 9},
                      LongTextCase{"ADragSelects", bass, false, {1, 3, 0.3}, {13, 14, 0.7}, 1, 14},
                      LongTextCase{"ADragBeforeTheStart", bass, false, {3, 4, 0.7}, {0, 1, -4}, 0, 4},
                      LongTextCase{"ANULIsDroppedAndShiftsNothing", std::string("\0", 1) + bass, false, {9, 12, 0.7}, {9, 12, 0.7}, 12, 12},
                      LongTextCase{"PastTheEnd", bass, true, {16, 17, 1.1}, {16, 17, 1.1}, 17, 17},
                      LongTextCase{"ADragBackFromPastTheEnd", bass, true, {16, 17, 1.1}, {9, 12, 0.3}, 9, 17}),
    [](const auto& info) { return std::string(info.param.name); });

// Below one pixel a point (a plug-in's editor scaled down), the text is still drawn where the caret and the
// pointer find it: glyphs rounded to whole pixels one by one had moved 10 kB of text out of the field.
TEST(TextFieldInput, ALongTextScrolledToItsEndIsDrawnBesideTheCaretAtEveryScale) {
    std::string value;
    while (value.size() < 10'000) value += "Deep House Chords ♪ ";
    for (const double scale : {1.0, 0.78}) {
        Harness h([&] { return textField({.text = value, .focusOnAppear = true}).frame({.width = 200}); }, {220, 40}, scale);
        h.key(XKB_KEY_End);
        const Bitmap image = h.render();
        const Color background = image.pixel(0, 0);
        int inked = 0;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y) inked += image.pixel(x, y) != background;
        EXPECT_GT(inked, 200) << "scale " << scale << ": the field shows no text";
    }
}

TEST(KeyInput, KeysTheFocusedFieldLeavesGoToTheNewestListener) {
    Log log;
    std::string value;
    Harness h(
        [&] {
            const auto listener = [&](std::string name) {
                return [&log, name](const KeyEvent& e) {
                    if (e.pressed && e.keysym == XKB_KEY_Escape) log.push_back(name);
                    return e.pressed && e.keysym == XKB_KEY_Escape;
                };
            };
            return vstack({}, color(Color::white()).onKeyPress(listener("editor")),
                          textField({.text = value, .onChange = [&](const std::string& s) { value = s; }})
                              .testId("field")
                              .onKeyPress(listener("prompt")));
        },
        {100, 100});
    h.key(XKB_KEY_Escape);
    h.clickOn("field");
    h.type("x");
    h.key(XKB_KEY_Escape);
    EXPECT_EQ(log, (Log{"prompt", "prompt"}));
    EXPECT_EQ(value, "x");
}

// Whether a caret blinks in the area: half a blink period later, the area shows something else.
bool caretBlinksIn(Harness& h, const Rect& area) {
    const Bitmap before = h.render();
    h.advance(0.5);
    const Bitmap after = h.render();
    for (int y = static_cast<int>(area.y); y < static_cast<int>(area.maxY()); ++y)
        for (int x = static_cast<int>(area.x) - 2; x < static_cast<int>(area.maxX()) + 2; ++x)
            if (!(before.pixel(x, y) == after.pixel(x, y))) return true;
    return false;
}

std::function<bool(const KeyEvent&)> keyRecorder(Log& log) {
    return [&log](const KeyEvent& e) {
        if (e.pressed) log.push_back(!e.text.empty() ? e.text : e.keysym == XKB_KEY_Return ? "Return" : "Escape");
        return e.pressed;
    };
}

struct KeyScopeCase {
    const char* name;
    enum class Message { alert, listening, prompt } message;
    bool clickIntoPrompt = false;
    bool otherFieldAsks = false;  // a field beneath asks for the focus while the message is up
    Log heardInside;
    std::string typedInside;
    friend void PrintTo(const KeyScopeCase& c, std::ostream* os) { *os << c.name; }
};

class KeyScopes : public ::testing::TestWithParam<KeyScopeCase> {};

// While a message is up, keys reach only views inside it; a press on it leaves the field beneath focused, and
// once it is gone that field (or the one that asked meanwhile) types again, with its caret, its text as it was.
TEST_P(KeyScopes, KeysReachOnlyTheMessageAndTheFieldBeneathHasThemAgainAfter) {
    const KeyScopeCase& c = GetParam();
    using Message = KeyScopeCase::Message;
    std::string under = "Jam 1", other = "B", inside;
    int submits = 0, otherRequest = 0;
    bool shown = false;
    Log beneath, heardInside;
    Harness h(
        [&] {
            View message;
            if (c.message == Message::prompt)
                message =
                    textField({.text = inside, .onChange = [&](const std::string& s) { inside = s; }, .focusOnAppear = !c.clickIntoPrompt})
                        .frame({.width = 100})
                        .testId("prompt");
            else message = color(Color::white()).frame({.width = 100, .height = 20});
            if (c.message == Message::listening) message = message.onKeyPress(keyRecorder(heardInside));
            return vstack({.spacing = 10},
                          textField({.text = under,
                                     .onChange = [&](const std::string& s) { under = s; },
                                     .onSubmit = [&] { ++submits; },
                                     .focusOnAppear = true})
                              .frame({.width = 100})
                              .testId("under"),
                          textField({.text = other, .onChange = [&](const std::string& s) { other = s; }, .focusRequest = otherRequest})
                              .frame({.width = 100}),
                          shown ? message.padding(10).background(color(Color{0.5, 0.5, 0.5, 1})).keyScope().testId("message") : View())
                .frame({.width = 200, .height = 200, .alignment = unit::top})
                .onKeyPress(keyRecorder(beneath));
        },
        {200, 200});
    h.update();
    const Rect field = h.frame("under");
    ASSERT_TRUE(caretBlinksIn(h, field));

    shown = true;
    h.root().invalidate();
    h.update();
    if (c.clickIntoPrompt) h.clickOn("prompt");
    if (c.otherFieldAsks) {
        ++otherRequest;
        h.root().invalidate();
    }
    h.update();
    h.type("X");
    h.key(XKB_KEY_Return);
    h.key(XKB_KEY_Escape);
    EXPECT_EQ(heardInside, c.heardInside);
    EXPECT_EQ(inside, c.typedInside);
    EXPECT_FALSE(caretBlinksIn(h, field)) << "a caret beneath the message";
    h.click({h.frame("message").maxX() - 3, h.frame("message").maxY() - 3});

    shown = false;
    h.root().invalidate();
    h.update();
    h.type("2");
    h.key(XKB_KEY_Escape);
    EXPECT_EQ(under, c.otherFieldAsks ? "Jam 1" : "Jam 12");
    EXPECT_EQ(other, c.otherFieldAsks ? "B2" : "B");
    EXPECT_EQ(submits, 0);
    EXPECT_EQ(beneath, Log{"Escape"}) << "the editor beneath heard keys meant for the message";
    EXPECT_EQ(caretBlinksIn(h, field), !c.otherFieldAsks);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyScopes,
    ::testing::Values(KeyScopeCase{"AnAlert", KeyScopeCase::Message::alert},
                      KeyScopeCase{"AConfirmationThatListensForKeys", KeyScopeCase::Message::listening, false, false,
                                   Log{"X", "Return", "Escape"}},
                      KeyScopeCase{"APromptWhoseFieldTakesTheKeysAsItAppears", KeyScopeCase::Message::prompt, false, false, {}, "X"},
                      KeyScopeCase{"APromptFieldClickedInto", KeyScopeCase::Message::prompt, true, false, {}, "X"},
                      KeyScopeCase{"AFieldBeneathThatAsksMeanwhileTypesAfter", KeyScopeCase::Message::alert, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct HeldKeyCase {
    const char* name;
    bool fieldBeneath;  // else a view beneath that listens for keys
    std::uint32_t keysym;
    // A prompt that Return submits and closes, up from the start or coming while the key is held; a
    // confirmation that listens for keys, up from the start or raised by the field beneath as Return submits it.
    enum class Message { none, prompt, promptComes, confirmation, confirmationRaised } message;
    Log heard;  // what the views heard while the key was held, then at a Return pressed after it
    friend void PrintTo(const HeldKeyCase& c, std::ostream* os) { *os << c.name; }
};

class HeldKeys : public ::testing::TestWithParam<HeldKeyCase> {};

// A key held as a message comes or goes sends its repeats to the view that took its press only while a new
// press could reach that view too, and its release always: Return that submits and so closes a prompt does not
// submit the field beneath once per repeat, nor does Return that submits a field and so raises a question over
// it; a key a view beneath took is released there even under a message. A field takes every repeat of a key
// held in it.
TEST_P(HeldKeys, RepeatsAndTheReleaseGoOnlyWhereThePressWent) {
    const HeldKeyCase& c = GetParam();
    using Message = HeldKeyCase::Message;
    const bool prompt = c.message == Message::prompt || c.message == Message::promptComes;
    bool shown = c.message == Message::prompt || c.message == Message::confirmation;
    std::string value = "Jam 12";
    Log log;
    const auto listener = [&](std::string name) {
        return [&log, name](const KeyEvent& e) {
            log.push_back(name + (e.pressed ? (e.isRepeat ? ":repeat" : ":press") : ":up"));
            return true;
        };
    };
    const auto changeField = [&](const std::string& s) {
        value = s;
        log.push_back("field:" + s);
    };
    const auto submitField = [&] {
        log.push_back("field:submit");
        if (c.message == Message::confirmationRaised) shown = true;
    };
    const auto submitPrompt = [&] {
        log.push_back("prompt:submit");
        shown = false;
    };
    Harness h(
        [&] {
            View beneath = c.fieldBeneath
                               ? textField({.text = value, .onChange = changeField, .onSubmit = submitField, .focusOnAppear = true})
                                     .frame({.width = 100})
                               : color(Color::white()).frame({.width = 100, .height = 20}).onKeyPress(listener("listener"));
            View message = prompt ? textField({.onSubmit = submitPrompt, .focusOnAppear = true}).frame({.width = 100})
                                  : color(Color::white()).frame({.width = 100, .height = 20}).onKeyPress(listener("confirmation"));
            return zstack({}, beneath, shown ? message.keyScope() : View()).frame({.width = 200, .height = 100});
        },
        {200, 100});
    h.update();
    h.keyDown(c.keysym);
    if (c.message == Message::promptComes) shown = true;
    h.root().invalidate();
    h.update();
    for (int i = 0; i < 3; ++i) h.keyDown(c.keysym, true);
    h.keyUp(c.keysym);
    // A new press goes where the focus is now.
    h.key(XKB_KEY_Return);
    EXPECT_EQ(log, c.heard);
}

using HeldMessage = HeldKeyCase::Message;
INSTANTIATE_TEST_SUITE_P(
    Cases, HeldKeys,
    ::testing::Values(HeldKeyCase{"ReturnClosingAPromptOverAField", true, XKB_KEY_Return, HeldMessage::prompt,
                                  Log{"prompt:submit", "field:submit"}},
                      HeldKeyCase{"ReturnClosingAPromptOverAListener", false, XKB_KEY_Return, HeldMessage::prompt,
                                  Log{"prompt:submit", "listener:press", "listener:up"}},
                      HeldKeyCase{"AKeyAListenerTookAsAMessageComes", false, XKB_KEY_a, HeldMessage::promptComes,
                                  Log{"listener:press", "listener:up", "prompt:submit"}},
                      HeldKeyCase{"ReturnOnAFieldWhoseSubmitRaisesAConfirmation", true, XKB_KEY_Return, HeldMessage::confirmationRaised,
                                  Log{"field:submit", "confirmation:press", "confirmation:up"}},
                      HeldKeyCase{"AKeyAConfirmationTook", false, XKB_KEY_a, HeldMessage::confirmation,
                                  Log{"confirmation:press", "confirmation:repeat", "confirmation:repeat", "confirmation:repeat",
                                      "confirmation:up", "confirmation:press", "confirmation:up"}},
                      HeldKeyCase{"BackSpaceHeldInAField", true, XKB_KEY_BackSpace, HeldMessage::none,
                                  Log{"field:Jam 1", "field:Jam ", "field:Jam", "field:Ja", "field:submit"}},
                      HeldKeyCase{"BackSpaceHeldInAFieldAsAPromptComes", true, XKB_KEY_BackSpace, HeldMessage::promptComes,
                                  Log{"field:Jam 1", "prompt:submit"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The caret shows where typing goes: not while the window is without the keyboard, and then it does not blink
// either (no frames are drawn for it); with the keyboard back, the field types again.
TEST(TextFieldInput, TheCaretIsDrawnOnlyWhileTheWindowHasTheKeyboard) {
    std::string value = "Jam";
    Harness h([&] { return textField({.text = value, .onChange = [&](const std::string& s) { value = s; }, .focusOnAppear = true}); },
              {200, 40});
    h.update();
    const Rect field{0, 0, 200, 40};
    EXPECT_TRUE(caretBlinksIn(h, field));
    h.root().setHasKeyboardFocus(false);
    EXPECT_FALSE(caretBlinksIn(h, field));
    EXPECT_FALSE(caretBlinksIn(h, field));
    EXPECT_FALSE(h.root().nextAnimationFrame()) << "frames drawn for a caret that is not shown";
    h.root().setHasKeyboardFocus(true);
    EXPECT_TRUE(caretBlinksIn(h, field));
    h.type("s");
    EXPECT_EQ(value, "Jams");
}

}  // namespace
}  // namespace pulvan::ui
