// The keyboard rules between a window and its host, without a server: what the window is told in, the focus
// requests with their times out.
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
constexpr std::uint8_t kReturn = 36;
using F = KeyboardFocus;

FocusRequest take(XTime time, XWindow window = kA) { return {FocusRequest::Kind::take, time, window}; }
FocusRequest giveBack(XTime time, XWindow to, bool offer = true) { return {FocusRequest::Kind::giveBack, time, to, offer}; }
const FocusRequest kStamp{FocusRequest::Kind::stamp, 0, kA};

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
Step took(XWindow w, F::Place from, XWindow focus) {
    return {[=](Windows& ws) {
                ws[w].tookFrom(from, focus);
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
    {"APressInAFieldBeingEditedTakesThem", 0, {edit(true), press(kA, 100, {take(100)}), took(kA, F::Place::hostWindow, kHostFocus)}},
    {"AFieldFocusedByTheProgramInANewWindowTakesNothing", 0, {edit(true), {[](Windows& w) { focused(*w.a, kA); }, {}, true}}},
    {"AltTabAwayWhileTypingLeavesTheKeysThere",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, F::Place::hostWindow, kHostFocus),
      lost(kA, XCB_NOTIFY_MODE_GRAB),
      activate(kOtherProgram, 300),
      {[](Windows& w) { w.a->focusChanged(kA, true, XCB_NOTIFY_MODE_UNGRAB, XCB_NOTIFY_DETAIL_NONLINEAR); }, {}}}},
    {"ReturningByTitleBarOrAltTabTakesThemAtTheActivation",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, F::Place::hostWindow, kHostFocus), activate(kOtherProgram, 300),
      activate(kTop, 400, {take(400)})}},
    {"AnActivationNamedBeforeTheFocusComesInWaitsForIt",
     0,
     {edit(true),
      activate(kOtherProgram, 300),
      {[](Windows& w) { w.a->activeWindowChanged(kTop, 400); }, {}},
      {[](Windows& w) { w.a->focusChanged(kTop, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR); }, {take(400)}}}},
    {"FocusedAgainWhileActiveTakesThemAtTheServersTimeAfter",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, F::Place::hostWindow, kHostFocus),
      lost(kA, XCB_NOTIFY_MODE_NORMAL, {take(100)}),
      {[](Windows& w) { w.a->focusChanged(kTop, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_INFERIOR); }, {kStamp}},
      {[](Windows& w) { w.a->focusChanged(kTop, false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_INFERIOR); }, {}},
      {[](Windows& w) { w.a->serverTime(500); }, {take(500)}}}},
    {"LeavingBeforeTheServersTimeComesTakesNothing",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, F::Place::hostWindow, kHostFocus),
      {[](Windows& w) { w.a->focusChanged(kTop, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_INFERIOR); }, {kStamp}},
      activate(kOtherProgram, 450),
      {[](Windows& w) { w.a->serverTime(500); }, {}}}},
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
     {press(kA, 100), edit(true, {take(100)}), took(kA, F::Place::hostWindow, kHostFocus), activate(kSecondTop, 200, {take(200, kB)}),
      took(kB, F::Place::elsewhere, kSecondTop), activate(kTop, 300, {take(300)})}},
    {"OfTwoViewsInOneTopLevelOnlyTheOneThatTookTheKeysTakesThemBack",
     kTop,
     {press(kB, 100), edit(true, {take(100, kB)}), took(kB, F::Place::hostWindow, kHostFocus), activate(kOtherProgram, 200),
      activate(kTop, 300, {take(300, kB)})}},
    {"TheKeysGoBackToTheHostsFocusWindowNotToAFrame",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, F::Place::hostWindow, kHostFocus), edit(false, {giveBack(100, kHostFocus)}),
      press(kA, 200), edit(true, {take(200)}), took(kA, F::Place::elsewhere, kFrame), edit(false, {giveBack(200, kHostFocus)})}},
    {"KeysTakenFromAnotherTopLevelGoBackToTheWindowsOwn",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, F::Place::elsewhere, kSecondTop), edit(false, {giveBack(100, kTop)})}},
    {"TheFocusOnNoWindowInParticularIsGivenBack",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, F::Place::pointerRoot, kPointerRoot),
      edit(false, {giveBack(100, kPointerRoot, false)})}},
    {"ReturnHeldAsTheEditingEndsGivesTheKeysBackOnItsRelease",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, F::Place::hostWindow, kHostFocus), keyDown(kReturn, 500), edit(false),
      keyDown(kReturn, 530), keyDown(kReturn, 560), keyUp(kReturn, 600, {giveBack(600, kHostFocus)})}},
    {"AKeyReleasedWhereTheKeysWentHoldsNothingBack",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, F::Place::hostWindow, kHostFocus),
      keyDown(64, 200),
      lost(kA, XCB_NOTIFY_MODE_GRAB),
      {[](Windows& w) { w.a->focusChanged(kA, true, XCB_NOTIFY_MODE_UNGRAB, XCB_NOTIFY_DETAIL_NONLINEAR); }, {}},
      edit(false, {giveBack(200, kHostFocus)})}},
    {"NoKeysGoBackOnceTheFocusWentElsewhere",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, F::Place::hostWindow, kHostFocus),
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
      took(kA, F::Place::hostWindow, kHostFocus),
      lost(kA, XCB_NOTIFY_MODE_NORMAL, {take(100)}),
      {[](Windows& w) { focused(*w.a, kA); }, {}},
      lost(kA, XCB_NOTIFY_MODE_NORMAL)}},
    {"ClosingGivesTheKeysBack",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, F::Place::hostWindow, kHostFocus),
      keyDown(50, 150),
      keyUp(50, 160),
      {[](Windows& w) { w.a->closing(); }, {giveBack(160, kHostFocus)}}}},
};

INSTANTIATE_TEST_SUITE_P(Rows, KeyboardRules, ::testing::ValuesIn(kRows), [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::x11
