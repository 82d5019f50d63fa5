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
// A name typed in A, the person gone to another program at 300 and back by its top-level activated at 400; then the rest.
std::vector<Step> backByActivation(std::vector<Step> then) {
    std::vector<Step> steps{press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), activate(kOtherProgram, 300),
                            activate(kTop, 400, {take(400), kStamp})};
    steps.insert(steps.end(), then.begin(), then.end());
    return steps;
}
// A's take landed, and the host took the focus back to a window of its own in the same top-level.
Step takenBackByTheHost(std::vector<FocusRequest> expected) {
    return {[](Windows& ws) {
                ws.a->tookFrom(kHostFocus, true);
                focused(*ws.a, kA);
                ws.a->focusChanged(kA, false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR);
            },
            expected};
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
    {"ReturningByTitleBarOrAltTabTakesThemAtTheActivation",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), activate(kOtherProgram, 300),
      activate(kTop, 400, {take(400), kStamp})}},
    {"AnActivationNamedBeforeTheFocusComesInWaitsForIt",
     0,
     {edit(true),
      activate(kOtherProgram, 300),
      {[](Windows& w) { w.a->activeWindowChanged(kTop, 400); }, {}},
      {[](Windows& w) { w.a->focusChanged(kTop, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR); }, {take(400), kStamp}}}},
    {"FocusedAgainWhileActiveTakesThemAtTheServersTimeAfter",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      lost(kA, XCB_NOTIFY_MODE_NORMAL, {take(100)}),
      {[](Windows& w) { w.a->focusChanged(kTop, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_INFERIOR); }, {kStamp}},
      {[](Windows& w) { w.a->focusChanged(kTop, false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_INFERIOR); }, {}},
      {[](Windows& w) { w.a->serverTime(500); }, {take(500), kStamp}}}},
    {"LeavingBeforeTheServersTimeComesTakesNothing",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
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
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), activate(kSecondTop, 200, {take(200, kB), stamp(kB)}),
      took(kB, kSecondTop, false), activate(kTop, 300, {take(300), kStamp})}},
    {"OfTwoViewsInOneTopLevelOnlyTheOneThatTookTheKeysTakesThemBack",
     kTop,
     {press(kB, 100), edit(true, {take(100, kB)}), took(kB, kHostFocus), activate(kOtherProgram, 200),
      activate(kTop, 300, {take(300, kB), stamp(kB)})}},
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
    {"TheGiveBackAfterAnActivationIsStampedWithItsTime",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), keyDown(kShift, 150), keyUp(kShift, 160), activate(kOtherProgram, 300),
      activate(kTop, 400, {take(400), kStamp}), took(kA, kHostFocus), edit(false, {giveBack(400, kHostFocus)})}},
    // A press stands for the field its answer focuses however late, unless the person did anything else since.
    {"APressFollowedByAnActAnywhereTakesNothingForAFieldFocusedLater",
     0,
     {press(kA, 100), release(150), actedAnywhere(100), actedAnywhere(2000), edit(true, {})}},
    {"APressTakesTheKeysForTheFieldItsAnswerFocusesHoweverLate",
     0,
     {press(kA, 100), release(150), actedAnywhere(100), edit(true, {take(100)})}},
    {"APressWhoseReleaseWentElsewhereTakesNothingForAFieldFocusedLongAfter",
     0,
     {press(kA, 100), kReleaseGoesElsewhere, release(200), edit(true, {kStamp}), serverTime(2101, {})}},
    {"APressWhoseReleaseWentElsewhereTakesTheKeysForAFieldFocusedSoonAfter",
     0,
     {press(kA, 100), kReleaseGoesElsewhere, edit(true, {kStamp}), serverTime(2100, {take(100)})}},
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
    // The host moves the focus to a window of its own in answer to the press that brought the person back (a title
    // bar it draws itself), and again once the window manager focused the top-level anew at its request: each
    // answer is asked over at the server's time after it, not at the activation's that it overtook; four at most,
    // so a host that takes the focus back whenever the window takes it keeps it.
    {"AHostsAnswersToThePersonComingBackAreAskedOverFourTimesAtTheServersTime", 0,
     backByActivation({takenBackByTheHost({take(400), kStamp}), serverTime(420, {take(420), kStamp}),
                       takenBackByTheHost({take(420), kStamp}), serverTime(430, {take(430), kStamp}),
                       takenBackByTheHost({take(430), kStamp}), serverTime(440, {take(440), kStamp}),
                       takenBackByTheHost({take(440), kStamp}), serverTime(450, {take(450), kStamp}), takenBackByTheHost({take(450)}),
                       serverTime(460, {})})},
    // The host's answer overtook the take before it landed, and the window manager then focused the top-level again
    // at the host's request, the pointer still over the title bar the host draws: the person's coming back, asked
    // over at the server's time, not a click on the host's own widgets.
    {"AHostsAnswerOvertakingTheTakeOfThePersonComingBackIsAskedOver", 0,
     backByActivation(
         {{[](Windows& w) { w.a->focusChanged(kTop, true, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_INFERIOR, true); }, {kStamp}},
          serverTime(420, {take(420)}),
          took(kA, kHostFocus),
          serverTime(430, {}),
          {[](Windows&) {}, {}, true}})},
    {"AHostsAnswerToTheTopLevelFocusedAgainIsAskedOver",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), topLevelFocusedFromA(false, {kStamp, take(100)}),
      serverTime(300, {take(300), kStamp}), took(kA, kHostFocus), lost(kA, XCB_NOTIFY_MODE_NORMAL, {take(300), kStamp}),
      serverTime(320, {take(320), kStamp})}},
    {"AFocusChangeAfterThePersonClickedTheHostsOwnWidgetIsNotAskedOver",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      activate(kOtherProgram, 300),
      activate(kTop, 400, {take(400), kStamp}),
      took(kA, kHostFocus),
      {[](Windows& w) { w.a->pressedOnTheHost(450); }, {giveBack(450, kHostFocus)}},
      lost(kA, XCB_NOTIFY_MODE_NORMAL),
      serverTime(470, {})}},
    {"AHostsAnswerIsNotAskedOverWhereAnotherViewTookTheKeysSince",
     kTop,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), activate(kOtherProgram, 300), activate(kTop, 400, {take(400), kStamp}),
      took(kA, kHostFocus), press(kB, 450, {take(450, kB)}), lost(kA, XCB_NOTIFY_MODE_NORMAL, {take(400), kStamp}), serverTime(470, {})}},
    // The window manager activates the window for the press before the window sees it (it replays the press).
    {"APressInAWindowActivatedForItTakesTheKeysAtTheActivationsTime",
     0,
     {activate(kOtherProgram, 50), activate(kTop, 101), press(kA, 100), edit(true, {take(101), kStamp})}},
    // The window manager named the window active in the millisecond of the press, and focused it a millisecond after.
    {"APressInAWindowActivatedForItIsAskedAgainWhereTheWindowManagersFocusOvertookIt",
     0,
     {activate(kOtherProgram, 50), activate(kTop, 100), press(kA, 100), release(100), edit(true, {take(100), kStamp}),
      serverTime(105, {take(105)}), serverTime(110, {})}},
    {"AnActivationNamedAfterThePressesTakeAsksAgainAtItsTime",
     0,
     {activate(kOtherProgram, 50), press(kA, 100), edit(true, {take(100), kStamp}), activate(kTop, 101, {take(101), kStamp})}},
    // The window manager focuses the top-level at a later time than it named it active: the server refuses the
    // request, and the server's time after it tells.
    {"AnActivationsRequestRefusedIsAskedAgainAtTheServersTime",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), activate(kOtherProgram, 300), activate(kTop, 400, {take(400), kStamp}),
      serverTime(405, {take(405)}), serverTime(410, {})}},
    {"ARequestThatLandedIsNotAskedAgain",
     0,
     {press(kA, 100), edit(true, {take(100)}), took(kA, kHostFocus), activate(kOtherProgram, 300), activate(kTop, 400, {take(400), kStamp}),
      took(kA, kHostFocus), serverTime(405, {})}},
    {"ARequestRefusedAsThePersonLeftIsNotAskedAgain",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      activate(kOtherProgram, 300),
      activate(kTop, 400, {take(400), kStamp}),
      {[](Windows& w) { w.a->focusChanged(kTop, false, XCB_NOTIFY_MODE_NORMAL, XCB_NOTIFY_DETAIL_NONLINEAR); }, {}},
      serverTime(405, {})}},
    {"TheEmbeddersFocusMovingToAWidgetOfItsOwnGivesTheKeysBack",
     0,
     {press(kA, 100),
      edit(true, {take(100)}),
      took(kA, kHostFocus),
      keyDown(kShift, 200),
      {[](Windows& w) { w.a->embedderFocusLeft(); }, {}},
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
    {"TheViewWhoseActCameLastTakesTheKeysWhicheverRequestWentFirst",
     kTop,
     {press(kB, 300), edit(true, {take(300, kB)}), took(kB, kHostFocus), press(kA, 200, {take(200)}), activate(kOtherProgram, 400),
      activate(kTop, 500, {take(500, kB), stamp(kB)})}},
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

}  // namespace
}  // namespace pulvan::x11
