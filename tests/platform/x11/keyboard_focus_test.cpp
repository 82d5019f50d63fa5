// The keyboard rules between a window and its host, without a server: what the window is told in, and the focus
// requests with their times out or, once those are carried out as the server does, which window holds the keys.
#include "platform/x11/keyboard_focus.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace pulvan::x11 {

void PrintTo(const FocusRequest& r, std::ostream* os) {
    static constexpr const char* kinds[] = {"take", "giveBack", "stamp"};
    *os << kinds[static_cast<int>(r.kind)] << '@' << r.time << " to 0x" << std::hex << r.to << (r.offerTakeFocus ? " +WM_TAKE_FOCUS" : "");
}

namespace {

constexpr XWindow kA = 0x100, kB = 0x200;                                // the process's windows
constexpr XWindow kTop = 0x50, kSecondTop = 0x70, kOtherProgram = 0x90;  // top-levels
constexpr XWindow kHostFocus = 0x51, kFrame = 0x40;
constexpr std::uint8_t kReturn = 36, kShift = 50, kAlt = 64, kSpace = 65;

FocusRequest take(XTime time, XWindow window = kA) { return {FocusRequest::Kind::take, time, window}; }
FocusRequest giveBack(XTime time, XWindow to, bool offer = true) { return {FocusRequest::Kind::giveBack, time, to, offer}; }
FocusRequest stamp(XWindow window) { return {FocusRequest::Kind::stamp, 0, window}; }
const FocusRequest kStamp = stamp(kA);

// Window A, and B where a row has it: two views of one instance, or two instances, sharing the process's claims.
struct Windows {
    std::shared_ptr<KeyboardClaims> claims = std::make_shared<KeyboardClaims>();
    std::unique_ptr<KeyboardFocus> a = std::make_unique<KeyboardFocus>(kA, claims);
    std::unique_ptr<KeyboardFocus> b;
    KeyboardFocus& operator[](XWindow w) { return w == kA ? *a : *b; }
    std::vector<KeyboardFocus*> all() { return b ? std::vector{a.get(), b.get()} : std::vector{a.get()}; }
};

// What the server tells when the window manager activates a top-level: the focus leaves the others (the window
// itself too, where it had it) and comes into that one, then the active window changes.
void activates(Windows& w, XWindow topLevel, XTime time) {
    for (KeyboardFocus* f : w.all()) {
        if (f->topLevel() == topLevel) continue;
        if (f->holdsFocus()) f->focusChanged(f == w.a.get() ? kA : kB, false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR);
        f->focusChanged(f->topLevel(), false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR_VIRTUAL);
    }
    for (KeyboardFocus* f : w.all())
        if (f->topLevel() == topLevel) f->focusChanged(topLevel, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR);
    for (KeyboardFocus* f : w.all()) f->activeWindowChanged(topLevel, time);
}
// The window's own take went through.
void focused(KeyboardFocus& f, XWindow window) { f.focusChanged(window, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR); }

struct Step {
    std::function<void(Windows&)> act;
    std::vector<FocusRequest> expected;  // A's and B's, in that order
    std::optional<bool> aHasKeys = std::nullopt;
};
struct Row {
    const char* name;
    XWindow bTopLevel;  // 0: no B
    std::vector<Step> steps;
    bool wmNamesActive = true;
    friend void PrintTo(const Row& r, std::ostream* os) { *os << r.name; }
};

Step press(XWindow w, XTime t, std::vector<FocusRequest> expected = {}) {
    return {[=](Windows& ws) { ws[w].pointerPressed(t); }, expected};
}
Step edit(bool editing, std::vector<FocusRequest> expected = {}) {  // the dialog shows in every view
    return {[=](Windows& ws) {
                for (KeyboardFocus* f : ws.all()) f->editingChanged(editing);
            },
            expected};
}
Step activate(XWindow topLevel, XTime t, std::vector<FocusRequest> expected = {}) {
    return {[=](Windows& ws) { activates(ws, topLevel, t); }, expected};
}
// The window's take went through, from where the focus was: inside its top-level or not.
Step took(XWindow w, XWindow focus, bool inside = true) {
    return {[=](Windows& ws) {
                ws[w].tookFrom(focus, inside);
                focused(ws[w], w);
            },
            {}};
}
Step lost(XWindow w, std::uint8_t mode, std::vector<FocusRequest> expected = {}) {  // the focus went elsewhere in the top-level
    return {[=](Windows& ws) { ws[w].focusChanged(w, false, mode, XCB_NOTIFY_DETAIL_NONLINEAR); }, expected};
}
Step keyDown(std::uint8_t key, XTime t) {
    return {[=](Windows& ws) { ws.a->key(key, true, t); }, {}};
}
Step keyUp(std::uint8_t key, XTime t, std::vector<FocusRequest> expected = {}) {
    return {[=](Windows& ws) { ws.a->key(key, false, t); }, expected};
}
// A key the window takes, or passes on to the host.
Step windowsKey(std::uint8_t key, bool pressed, XTime t, std::vector<FocusRequest> expected = {}) {
    return {[=](Windows& ws) { EXPECT_FALSE(ws.a->key(key, pressed, t)) << "key " << int(key) << (pressed ? " down" : " up"); }, expected};
}
// A key the window passes on to the host.
Step hostsKey(std::uint8_t key, bool pressed, XTime t) {
    return {[=](Windows& ws) { EXPECT_TRUE(ws.a->key(key, pressed, t)) << "key " << int(key) << (pressed ? " down" : " up"); }, {}};
}
// A press or a key anywhere on the screen, as the server's raw event.
Step actedAnywhere(XTime t) {
    return {[=](Windows& ws) { ws.a->actedAnywhere(t); }, {}};
}
// A grab took the pointer, or the window went from the screen, with the button still down.
const Step kReleaseGoesElsewhere{[](Windows& ws) { ws.a->releaseGoesElsewhere(); }, {}};
Step release(XTime t) {
    return {[=](Windows& ws) { ws.a->pointerReleased(t); }, {}};
}
Step serverTime(XTime t, std::vector<FocusRequest> expected) {
    return {[=](Windows& ws) { ws.a->serverTime(t); }, expected};
}
// The pointer crosses A's edge while the focus is on an ancestor (`focusAbove`) or on another window.
Step pointer(bool entered, bool focusAbove, bool hasKeys) {
    return {[=](Windows& ws) { ws.a->pointerCrossed(entered, XCB_NOTIFY_DETAIL_NONLINEAR, focusAbove); }, {}, hasKeys};
}
// The focus goes from A to its top-level, with the pointer over the host's part of it or elsewhere.
Step topLevelFocusedFromA(bool pointerOverHost, std::vector<FocusRequest> expected) {
    return {[=](Windows& ws) {
                ws.a->focusChanged(kA, false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_ANCESTOR);
                ws.a->focusChanged(kTop, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_INFERIOR, pointerOverHost);
            },
            expected};
}

class KeyboardRules : public ::testing::TestWithParam<Row> {};

TEST_P(KeyboardRules, AskForTheKeysOnlyAfterAPersonsActAndGiveThemBackWhereTheHostKeepsThem) {
    const Row& row = GetParam();
    Windows w;
    const std::optional<XWindow> active = row.wmNamesActive ? std::optional(kTop) : std::nullopt;
    w.a->followTopLevel(kTop, true, true, active);
    if (row.bTopLevel) {
        w.b = std::make_unique<KeyboardFocus>(kB, w.claims);
        w.b->followTopLevel(row.bTopLevel, true, row.bTopLevel == kTop, active);
    }
    int n = 0;
    for (const Step& step : row.steps) {
        step.act(w);
        std::vector<FocusRequest> made;
        for (KeyboardFocus* f : w.all())
            for (const FocusRequest& r : f->takeRequests()) made.push_back(r);
        EXPECT_EQ(made, step.expected) << "step " << n;
        if (step.aHasKeys) {
            EXPECT_EQ(w.a->hasKeys(), *step.aHasKeys) << "step " << n;
        }
        ++n;
    }
}

const Row kRows[] = {
    {"APressThatFocusesAFieldTakesTheKeysAtItsTime", 0, {press(kA, 100), edit(true, {take(100)})}},
    {"APressInAFieldBeingEditedTakesThem", 0, {edit(true), press(kA, 100, {take(100)}), took(kA, kHostFocus)}},
    {"AFieldFocusedByTheProgramInANewWindowTakesNothing", 0, {edit(true), {[](Windows& w) { focused(*w.a, kA); }, {}, true}}},
    // The name typed and saved while the take was on its way, its keys reaching the field under the pointer.
    {"ATakeLandingAfterTheEditingEndedGivesTheKeysBack",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      {[](Windows& w) { w.a->tookFrom(kHostFocus, true); }, {}},
      edit(false),
      {[](Windows& w) { focused(*w.a, kA); }, {giveBack(100, kHostFocus)}}}},
    // A host whose focus follows the window it embeds, with nothing edited; once the editing ends, likewise.
    {"TheHostPuttingTheFocusOnTheWindowGetsItBackWhileNothingIsEdited",
     0,
     {{[](Windows& w) { focused(*w.a, kA); }, {giveBack(XCB_CURRENT_TIME, kTop, false)}},
      press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kTop),
      edit(false, {giveBack(100, kTop)}),
      lost(kA, XCB_NOTIFY_MODE_NORMAL),
      {[](Windows& w) { focused(*w.a, kA); }, {giveBack(100, kTop)}}}},
    {"AltTabAwayWhileTypingLeavesTheKeysThere",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      lost(kA, XCB_NOTIFY_MODE_GRAB),
      activate(kOtherProgram, 300),
      {[](Windows& w) { w.a->focusChanged(kA, true, XCB_NOTIFY_MODE_UNGRAB, XCB_NOTIFY_DETAIL_NONLINEAR); }, {}}}},
    {"AnActivationNamedBeforeTheFocusComesInWaitsForIt",
     0,
     {edit(true),
      activate(kOtherProgram, 300),
      {[](Windows& w) { w.a->activeWindowChanged(kTop, 400); }, {}},
      {[](Windows& w) { w.a->focusChanged(kTop, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR); }, {take(400), kStamp}}}},
    {"WithoutAWindowManagerNamingTheActiveWindowOnlyAPressTakes",
     0,
     {edit(true),
      {[](Windows& w) { w.a->focusChanged(kTop, false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR); }, {}},
      {[](Windows& w) { w.a->focusChanged(kTop, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR); }, {}},
      press(kA, 500, {take(500)})},
     false},
    {"EditingBegunAfterThePersonLeftTakesNothing", 0, {press(kA, 100), activate(kOtherProgram, 200), edit(true)}},
    {"AltTabBetweenTwoWindowsSettlesAtOnce",
     kSecondTop,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), activate(kSecondTop, 200, {take(200, kB), stamp(kB)}),
      took(kB, kSecondTop, false), activate(kTop, 300, {take(300), kStamp})}},
    {"TheKeysGoBackToTheHostsFocusWindowNotToAFrame",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), edit(false, {giveBack(100, kHostFocus)}), press(kA, 200),
      edit(true, {take(200)}), took(kA, kFrame, false), edit(false, {giveBack(200, kHostFocus)})}},
    {"KeysTakenFromAnotherTopLevelGoBackToTheWindowsOwn",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kSecondTop, false), edit(false, {giveBack(100, kTop)})}},
    {"TheFocusOnNoWindowInParticularIsGivenBack",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kPointerRoot, false), edit(false, {giveBack(100, kPointerRoot, false)})}},
    {"ReturnHeldAsTheEditingEndsGivesTheKeysBackOnItsRelease",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), keyDown(kReturn, 500), edit(false), keyDown(kReturn, 530),
      keyDown(kReturn, 560), keyUp(kReturn, 600, {giveBack(600, kHostFocus)})}},
    {"AKeyReleasedWhereTheKeysWentHoldsNothingBack",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      keyDown(64, 200),
      lost(kA, XCB_NOTIFY_MODE_GRAB),
      {[](Windows& w) { w.a->focusChanged(kA, true, XCB_NOTIFY_MODE_UNGRAB, XCB_NOTIFY_DETAIL_NONLINEAR); }, {}},
      edit(false, {giveBack(200, kHostFocus)})}},
    {"NoKeysGoBackOnceTheFocusWentElsewhere",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      {[](Windows& w) {
           w.a->focusChanged(kA, false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR);
           w.a->focusChanged(kTop, false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR_VIRTUAL);
       },
       {}},
      edit(false)}},
    {"AHostThatTakesTheFocusForTheSameClickIsAskedOnceMoreAtItsTime",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      lost(kA, XCB_NOTIFY_MODE_NORMAL, {take(100)}),
      {[](Windows& w) { focused(*w.a, kA); }, {}},
      lost(kA, XCB_NOTIFY_MODE_NORMAL)}},
    {"ClosingGivesTheKeysBack",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      keyDown(50, 150),
      keyUp(50, 160),
      {[](Windows& w) { w.a->closing(); }, {giveBack(160, kHostFocus)}}}},
    // Keys held as the keys went elsewhere are released there, so the editing's end waits for none of them.
    {"AKeyHeldAsAGrabTookTheKeysFromThePointerHoldsNothingBack",
     0,
     {pointer(true, true, true),
      keyDown(kAlt, 200),
      {[](Windows& w) { w.a->focusChanged(kA, false, XCB_NOTIFY_MODE_GRAB, XCB_NOTIFY_DETAIL_POINTER); }, {}, false},
      press(kA, 300),
      edit(true, {take(300)}),
      took(kA, kTop),
      edit(false, {giveBack(300, kTop)})}},
    {"AKeyHeldAsThePointerLeftHoldsNothingBack",
     0,
     {pointer(true, true, true), keyDown(kAlt, 200), pointer(false, true, false), press(kA, 300), edit(true, {take(300)}),
      took(kA, kHostFocus), edit(false, {giveBack(300, kHostFocus)})}},
    {"TheEndingKeyReleasedDuringAGrabGivesTheKeysBackAtOnce",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      keyDown(kReturn, 500),
      edit(false),
      lost(kA, XCB_NOTIFY_MODE_GRAB, {giveBack(500, kHostFocus)}),
      {[](Windows& w) { w.a->focusChanged(kA, true, XCB_NOTIFY_MODE_UNGRAB, XCB_NOTIFY_DETAIL_NONLINEAR); }, {}}}},
    {"ShiftWithReturnGivesTheKeysBackOnReturnsRelease",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), keyDown(kShift, 500), keyDown(kReturn, 510), edit(false),
      keyUp(kReturn, 600, {giveBack(600, kHostFocus)}), keyUp(kShift, 650)}},
    // The server's clock counts from any value and wraps after 49 days.
    {"TimesInTheUpperHalfOfTheServersClockCount",
     0,
     {press(kA, 0x90000000), edit(true, {take(0x90000000)}), took(kA, kHostFocus), edit(false, {giveBack(0x90000000, kHostFocus)})}},
    {"TimesThatWrappedAreTheLater",
     0,
     {press(kA, 0xFFFFFF00), edit(true, {take(0xFFFFFF00)}), took(kA, kHostFocus), keyDown(kShift, 0x10), keyUp(kShift, 0x20),
      edit(false, {giveBack(0x20, kHostFocus)})}},
    {"WithoutAnActsTimeTheKeysGoBackWithoutWmTakeFocus",
     0,
     {edit(true), {[](Windows& w) { focused(*w.a, kA); }, {}}, edit(false, {giveBack(XCB_CURRENT_TIME, kTop, false)})}},
    // A press stands for the field its answer focuses however late, unless the person did anything else since.
    {"APressFollowedByAnActAnywhereTakesNothingForAFieldFocusedLater",
     0,
     {press(kA, 100), release(150), actedAnywhere(100), actedAnywhere(2000), edit(true, {})}},
    {"APressTakesTheKeysForTheFieldItsAnswerFocusesHoweverLate",
     0,
     {press(kA, 100), release(150), actedAnywhere(100), edit(true, {take(100)})}},
    {"AWindowGoneAfterThePressesReleaseLeavesItStanding",
     0,
     {press(kA, 100), release(150), kReleaseGoesElsewhere, edit(true, {take(100)})}},
    {"AFieldClosedTakesThePressWithIt",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), edit(false, {giveBack(100, kHostFocus)}), edit(true, {})}},
    // Keys typed after the one that ended the editing, while the keys are on their way back, are the host's; the
    // ending key's repeats and release are the window's.
    {"KeysTypedAfterTheEndingKeyAreTheHosts",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), windowsKey(kReturn, true, 500), edit(false),
      hostsKey(kSpace, true, 510), windowsKey(kReturn, true, 530), hostsKey(kSpace, false, 540),
      windowsKey(kReturn, false, 560, {giveBack(560, kHostFocus)}), hostsKey(kSpace, true, 570), hostsKey(kSpace, false, 580)}},
    {"AKeyReleasedAfterTheEditingWhosePressWentToTheFieldIsTheWindows",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), windowsKey(kShift, true, 500), windowsKey(kReturn, true, 510),
      edit(false), windowsKey(kReturn, false, 520, {giveBack(520, kHostFocus)}), windowsKey(kShift, false, 530),
      hostsKey(kShift, false, 540)}},
    // The window manager's focus came before the activation's request, which landed.
    {"ARequestThatLandedIsNotAskedAgain",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), activate(kOtherProgram, 300), activate(kTop, 400, {take(400), kStamp}),
      took(kA, kHostFocus), serverTime(405, {})}},
    {"TheEmbeddersFocusMovingToAWidgetOfItsOwnGivesTheKeysBack",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      keyDown(kShift, 200),
      {[](Windows& w) { w.a->embedderFocusLeft(); }, {kStamp}},
      serverTime(205, {}),
      keyUp(kShift, 210, {giveBack(210, kHostFocus)}),
      press(kA, 300, {take(300)})}},
    {"APressOnTheHostsOwnWidgetGivesTheKeysBackOnceNoKeyIsHeldAndTheFieldTakesThemAgain",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      keyDown(kShift, 200),
      {[](Windows& w) { w.a->pressedOnTheHost(250); }, {}},
      keyUp(kShift, 260, {giveBack(260, kHostFocus)}),
      serverTime(2000, {}),
      press(kA, 2100, {take(2100)})}},
    {"APressOnTheHostWhereTheKeysAreNotHereTakesNothingLater",
     0,
     {press(kA, 100), release(110), {[](Windows& w) { w.a->pressedOnTheHost(150); }, {}}, edit(true, {})}},
    {"TheEmbeddersFocusLeavingForAGrabGivesNothingBack",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      lost(kA, XCB_NOTIFY_MODE_GRAB),
      {[](Windows& w) { w.a->embedderFocusLeft(); }, {}},
      {[](Windows& w) { w.a->focusChanged(kA, true, XCB_NOTIFY_MODE_UNGRAB, XCB_NOTIFY_DETAIL_NONLINEAR); }, {}}}},
    {"TheHostFocusingItsTopLevelForAWidgetOfItsOwnIsLeftAlone",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      topLevelFocusedFromA(true, {}),
      {[](Windows& w) { w.a->serverTime(500); }, {}}}},
    {"ThePointerCrossingInBringsTheKeysOnlyWhereTheFocusIsAbove",
     0,
     {pointer(true, false, false), pointer(false, false, false), pointer(true, true, true), pointer(false, true, false)}},
    {"AClosedViewIsForgotten",
     kTop,
     {press(kB, 100),
      edit(true, {take(100, kB)}),
      took(kB, kHostFocus),
      {[](Windows& w) {
           w.b->closing();
           w.b->takeRequests();
           w.b.reset();
       },
       {}},
      activate(kOtherProgram, 300),
      activate(kTop, 400, {take(400), kStamp})}},
    {"ANewTopLevelHasNoHostWindowOfTheOld",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      {[](Windows& w) { w.a->followTopLevel(kSecondTop, true, true, kSecondTop); }, {}},
      press(kA, 200, {take(200)}),
      took(kA, kFrame, false),
      edit(false, {giveBack(200, kSecondTop)})}},
    {"PointerRootOnlyWhereTheKeysWereTakenFromIt",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kPointerRoot, false), edit(false, {giveBack(100, kPointerRoot, false)}),
      press(kA, 200), edit(true, {take(200)}), took(kA, kHostFocus), edit(false, {giveBack(200, kHostFocus)})}},
    {"AHostThatTakesTheFocusForAClickBeforeTheWindowIsNamedActiveIsAskedAtTheActivation",
     0,
     {activate(kOtherProgram, 50),
      {[](Windows& w) { w.a->focusChanged(kTop, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR); }, {}},
      press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      lost(kA, XCB_NOTIFY_MODE_NORMAL),
      {[](Windows& w) { w.a->activeWindowChanged(kTop, 101); }, {take(101), kStamp}}}},
    {"AHostThatTakesTheFocusForTheSameClickWithoutAWindowManagerNamingTheActiveWindow",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      lost(kA, XCB_NOTIFY_MODE_NORMAL, {take(100)}),
      {[](Windows& w) { focused(*w.a, kA); }, {}},
      lost(kA, XCB_NOTIFY_MODE_NORMAL)},
     false},
};

INSTANTIATE_TEST_SUITE_P(Rows, KeyboardRules, ::testing::ValuesIn(kRows), [](const auto& info) { return std::string(info.param.name); });

// The same rules with their requests carried out as the server does: a request stamped before the focus last changed
// is refused, a window gives back only the focus it holds, and a request for the server's time is answered when the
// row says that time comes. What a row checks is which window holds the keys.
struct Server {
    XWindow focus = kHostFocus;
    XTime changedAt = 0;
    std::vector<XWindow> timeAsked;
};

struct World {
    Windows views;
    Server server;
};

// The focus goes to `to` at `time`, each view told as the server tells it; false where the server refuses.
bool moveFocus(World& w, XWindow to, XTime time) {
    if (static_cast<std::int32_t>(time - w.server.changedAt) < 0 && time != XCB_CURRENT_TIME) return false;
    const XWindow from = std::exchange(w.server.focus, to);
    if (time != XCB_CURRENT_TIME) w.server.changedAt = time;
    for (const XWindow view : {kA, kB}) {
        if (view == kB && !w.views.b) continue;
        KeyboardFocus& f = w.views[view];
        if (from == view && to != view) f.focusChanged(view, false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR);
        if (to == view && from != view) {
            f.tookFrom(from, from != kOtherProgram && from != kPointerRoot);
            focused(f, view);
        }
    }
    return true;
}

// Carries out the views' requests until they ask for nothing more.
void carryOut(World& w) {
    for (bool asked = true; asked;) {
        asked = false;
        for (const XWindow view : {kA, kB}) {
            if (view == kB && !w.views.b) continue;
            for (const FocusRequest& r : w.views[view].takeRequests()) {
                asked = true;
                if (r.kind == FocusRequest::Kind::stamp) w.server.timeAsked.push_back(view);
                if (r.kind == FocusRequest::Kind::take) moveFocus(w, view, r.time);
                if (r.kind == FocusRequest::Kind::giveBack && w.server.focus == view) moveFocus(w, r.to, r.time);
            }
        }
    }
}

struct Event {
    std::function<void(World&)> act;
    std::optional<XWindow> holder = std::nullopt;  // who holds the keys after it
};
struct Story {
    const char* name;
    bool withB;  // a second view in the same top-level
    std::vector<Event> events;
    friend void PrintTo(const Story& s, std::ostream* os) { *os << s.name; }
};

Event pressIn(XWindow view, XTime t, std::optional<XWindow> holder = std::nullopt) {
    return {[=](World& w) { w.views[view].pointerPressed(t); }, holder};
}
Event editing(bool on, std::optional<XWindow> holder = std::nullopt) {
    return {[=](World& w) {
                for (KeyboardFocus* f : w.views.all()) f->editingChanged(on);
            },
            holder};
}
// The window manager focuses a top-level at `focusedAt` and names it active at `namedAt`.
Event windowManager(XWindow topLevel, XTime namedAt, XTime focusedAt, std::optional<XWindow> holder = std::nullopt) {
    return {[=](World& w) {
                moveFocus(w, topLevel, focusedAt);
                activates(w.views, topLevel, namedAt);
            },
            holder};
}
// The window manager focuses the active top-level again, from the view's window (a click on its title bar).
Event focusedAgain(XTime t, std::optional<XWindow> holder = std::nullopt, bool pointerOverHost = false) {
    return {[=](World& w) {
                if (!moveFocus(w, kTop, t)) return;
                w.views.a->focusChanged(kTop, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_INFERIOR, pointerOverHost);
            },
            holder};
}
// The host moves the focus to its focus window at the server's time.
Event hostFocuses(XTime t, std::optional<XWindow> holder = std::nullopt) {
    return {[=](World& w) { moveFocus(w, kHostFocus, t); }, holder};
}
Event serverTimeComes(XTime t, std::optional<XWindow> holder = std::nullopt) {
    return {[=](World& w) {
                for (const XWindow view : std::exchange(w.server.timeAsked, {})) w.views[view].serverTime(t);
            },
            holder};
}
Event act(std::function<void(KeyboardFocus&)> f, std::optional<XWindow> holder = std::nullopt) {
    return {[=](World& w) { f(*w.views.a); }, holder};
}

class KeysEndUp : public ::testing::TestWithParam<Story> {};

TEST_P(KeysEndUp, WhereThePersonsLastActPutsThem) {
    const Story& story = GetParam();
    World w;
    w.views.a->followTopLevel(kTop, true, true, kTop);
    if (story.withB) {
        w.views.b = std::make_unique<KeyboardFocus>(kB, w.views.claims);
        w.views.b->followTopLevel(kTop, true, true, kTop);
    }
    int n = 0;
    for (const Event& e : story.events) {
        e.act(w);
        carryOut(w);
        if (e.holder) {
            EXPECT_EQ(w.server.focus, *e.holder) << "after step " << n;
        }
        ++n;
    }
}

Event embedderLeft() {
    return act([](KeyboardFocus& f) { f.embedderFocusLeft(); });
}
Event embedderDeactivated() {
    return act([](KeyboardFocus& f) { f.embedderDeactivated(); });
}
Event focusOf(XWindow on, bool in, std::uint8_t mode, std::uint8_t detail) {
    return act([=](KeyboardFocus& f) { f.focusChanged(on, in, mode, detail); });
}
// The window manager grabs the keyboard on the top-level's frame and lets it go, with the focus in A.
const std::vector<Event> kTheWindowManagersGrab = {focusOf(kA, false, XCB_NOTIFY_MODE_GRAB, XCB_NOTIFY_DETAIL_ANCESTOR),
                                                   focusOf(kTop, false, XCB_NOTIFY_MODE_GRAB, XCB_NOTIFY_DETAIL_VIRTUAL),
                                                   focusOf(kTop, true, XCB_NOTIFY_MODE_UNGRAB, XCB_NOTIFY_DETAIL_VIRTUAL),
                                                   focusOf(kA, true, XCB_NOTIFY_MODE_UNGRAB, XCB_NOTIFY_DETAIL_ANCESTOR)};
std::vector<Event> join(std::initializer_list<std::vector<Event>> parts) {
    std::vector<Event> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A name being typed in A, its field holding the keys.
const std::vector<Event> kTyping = {pressIn(kA, 100), editing(true, kA)};
std::vector<Event> typing(std::vector<Event> then) {
    then.insert(then.begin(), kTyping.begin(), kTyping.end());
    return then;
}

const Story kStories[] = {
    // The window manager names the window active at one time and focuses it at a later one.
    {"BackWhereTheWindowManagersFocusCameAfterItsActivation", false,
     typing({windowManager(kOtherProgram, 300, 300, kOtherProgram), windowManager(kTop, 400, 405, kTop), serverTimeComes(410, kA)})},
    {"LeftBeforeTheServersTimeCame", false,
     typing({windowManager(kOtherProgram, 300, 300), windowManager(kTop, 400, 405, kTop), windowManager(kOtherProgram, 406, 406),
             serverTimeComes(410, kOtherProgram)})},
    // Its title bar clicked while it is active.
    {"BackByTheTitleBarOfTheActiveWindow", false, typing({focusedAgain(440, kTop), serverTimeComes(500, kA)})},
    {"LeftBeforeTheServersTimeAfterTheTitleBarCame", false,
     typing({focusedAgain(440, kTop), windowManager(kOtherProgram, 450, 450), serverTimeComes(500, kOtherProgram)})},
    // A press whose release went elsewhere stands for a field focused within 2 s of it.
    {"AFieldFocusedSoonAfterAPressWhoseReleaseWentElsewhere",
     false,
     {pressIn(kA, 100), act([](KeyboardFocus& f) { f.releaseGoesElsewhere(); }), editing(true, kHostFocus), serverTimeComes(2100, kA)}},
    {"AFieldFocusedLongAfterAPressWhoseReleaseWentElsewhere",
     false,
     {pressIn(kA, 100), act([](KeyboardFocus& f) { f.releaseGoesElsewhere(); }), editing(true, kHostFocus),
      serverTimeComes(2101, kHostFocus)}},
    // The window manager named the window active in the millisecond of the press, and focused it a millisecond after.
    {"APressInAWindowTheWindowManagerFocusedAfterIt",
     false,
     {windowManager(kOtherProgram, 50, 50), windowManager(kTop, 100, 101), pressIn(kA, 100),
      act([](KeyboardFocus& f) { f.pointerReleased(100); }), editing(true, kTop), serverTimeComes(105, kA)}},
    {"APressInAWindowTheWindowManagerActivatesAfterItsTake",
     false,
     {windowManager(kOtherProgram, 50, 50), pressIn(kA, 100), editing(true, kA), windowManager(kTop, 101, 101, kA)}},
    // A host that moves the focus to a window of its own in answer to the press that brought the person back (a
    // title bar it draws itself): the name takes the keys back from its first four moves, not from a fifth.
    {"AHostsAnswerToThePersonComingBack", false,
     typing({windowManager(kOtherProgram, 300, 300), windowManager(kTop, 400, 400, kA), hostFocuses(410, kHostFocus),
             serverTimeComes(420, kA), hostFocuses(425, kHostFocus), serverTimeComes(430, kA), hostFocuses(435, kHostFocus),
             serverTimeComes(440, kA), hostFocuses(445, kHostFocus), serverTimeComes(450, kA), hostFocuses(455, kHostFocus),
             serverTimeComes(460, kHostFocus)})},
    // The host's answer overtook the take before it landed, and the window manager then focused the top-level again
    // at the host's request, the pointer still over the title bar the host draws: the person coming back, not a
    // click on the host's own widgets.
    {"AHostsAnswerOvertakingTheTakeOfThePersonComingBack", false,
     typing({windowManager(kOtherProgram, 300, 300),
             {[](World& w) {
                  moveFocus(w, kTop, 400);
                  activates(w.views, kTop, 400);
                  moveFocus(w, kHostFocus, 401);
              },
              kHostFocus},
             focusedAgain(410, kTop, true),
             serverTimeComes(420, kA)})},
    {"AHostsMoveAfterAClickOnItsOwnWidget", false,
     typing({windowManager(kOtherProgram, 300, 300), windowManager(kTop, 400, 400, kA),
             act([](KeyboardFocus& f) { f.pressedOnTheHost(450); }, kHostFocus), hostFocuses(460, kHostFocus),
             serverTimeComes(470, kHostFocus)})},
    {"AHostsAnswerAfterAnotherViewTookTheKeys", true,
     typing({windowManager(kOtherProgram, 300, 300), windowManager(kTop, 400, 400, kA), pressIn(kB, 450, kB), serverTimeComes(470, kB)})},
    {"BackByAltTabOrATitleBar", false, typing({windowManager(kOtherProgram, 300, 300, kOtherProgram), windowManager(kTop, 400, 400, kA)})},
    // Two views in one top-level, back to it: the one whose name was typed in last takes the keys.
    {"BackToTheViewThatTookTheKeys",
     true,
     {pressIn(kB, 100), editing(true, kB), windowManager(kOtherProgram, 200, 200, kOtherProgram), windowManager(kTop, 300, 300, kB)}},
    {"BackToTheViewWhoseActCameLast",
     true,
     {pressIn(kB, 300), editing(true, kB), pressIn(kA, 200, kB), windowManager(kOtherProgram, 400, 400),
      windowManager(kTop, 500, 500, kB)}},
    {"TheKeysGoBackAfterABackAtItsTime", false,
     typing({act([](KeyboardFocus& f) {
                 f.key(kShift, true, 150);
                 f.key(kShift, false, 160);
             }),
             windowManager(kOtherProgram, 300, 300), windowManager(kTop, 400, 400, kA), editing(false, kHostFocus)})},
    // The window manager activates the window for the press before the window sees it (it replays the press).
    {"APressInAWindowTheWindowManagerActivatedForIt",
     false,
     {windowManager(kOtherProgram, 50, 50), windowManager(kTop, 101, 101), pressIn(kA, 100), editing(true, kA)}},
    // The host moves the focus to a window of its own in answer to the window manager focusing its top-level again.
    {"AHostsAnswerToTheTopLevelFocusedAgain", false,
     typing({focusedAgain(290, kTop), serverTimeComes(300, kA), hostFocuses(310, kHostFocus), serverTimeComes(320, kA)})},
    // The embedder's focus leaves for a widget of its own, or with its window's deactivation (GTK's, for the
    // window manager's grab on a click on the title bar, read after the window took the keys back).
    {"TheEmbeddersFocusLeavingForAWidgetOfItsOwn", false,
     typing({act([](KeyboardFocus& f) { f.embedderFocusLeft(); }, kA), serverTimeComes(205, kHostFocus)})},
    {"TheEmbeddersFocusLeavingWithItsWindowsDeactivation", false,
     typing({act([](KeyboardFocus& f) { f.embedderFocusLeft(); }), act([](KeyboardFocus& f) { f.embedderDeactivated(); }),
             serverTimeComes(205, kA)})},
    // The window manager grabs the keyboard for a click on the title bar; the embedder tells it only after, its
    // deactivation later than the server's time (GTK 2 waits for a round trip after each word).
    {"TheEmbeddersFocusLeavingLateForTheWindowManagersGrab", false,
     typing(join({kTheWindowManagersGrab, {embedderLeft(), serverTimeComes(205, kA)}}))},
    {"TheEmbeddersFocusLeavingForAWidgetOfItsOwnAfterItToldTheGrab", false,
     typing(join({kTheWindowManagersGrab,
                  {embedderLeft(), embedderDeactivated(), serverTimeComes(205, kA), embedderLeft(), serverTimeComes(210, kHostFocus)}}))},
    // A host busy across the person leaving and coming back by the title bar tells both late, in order.
    {"TheEmbeddersLateWordsForLeavingAndForTheWindowManagersGrab", false,
     typing(join({{windowManager(kOtherProgram, 300, 300, kOtherProgram),
                   focusOf(kTop, false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR_VIRTUAL), windowManager(kTop, 400, 400, kA)},
                  kTheWindowManagersGrab,
                  {embedderLeft(), embedderDeactivated(), embedderLeft(), serverTimeComes(505, kA)}}))},
};

INSTANTIATE_TEST_SUITE_P(Stories, KeysEndUp, ::testing::ValuesIn(kStories), [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::x11
