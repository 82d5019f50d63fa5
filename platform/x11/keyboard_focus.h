#pragma once
// Where the keys go between a window inside a host's and the host, as one set of rules with the window manager in
// charge of which top-level is active. What the server tells (focus, activation, structure), the person's acts in
// the window and the editing that wants the keys go in; focus requests come out, each stamped with the time of the
// act it follows, so that the server itself refuses one that a later focus change has overtaken:
// - The window takes the keys only after a person's act: a press in it while a field is being edited, or one that
//   the field's focusing answers however late, so long as the person did nothing else since; the window manager
//   activating its top-level while a field is being edited, or focusing it again while it is active (a click on its
//   title bar, not on the host's own widgets). It asks only while its top-level holds the focus, and asks again at
//   the activation's time where the window manager's change overtook the press's request. A host moving the focus
//   to a window of its own in answer to that activation (a title bar it draws itself, and again once the window
//   manager answers the host's own request to activate it) is asked over, a few times at most, each at the server's
//   time after it: the person came back to the field.
// - An embedder's word (XEmbed) takes nothing: only the window manager says which window is active. Its focus
//   moving to a widget of its own gives the keys back, as a click there does where the host moves the X focus; its
//   focus leaving with its window's deactivation does not (GTK's, for the window manager's grab on a title-bar click).
// - Once the window manager activates another window, that window has the keys; nothing takes them back.
// - When the editing ends the keys go back where the host keeps its keyboard in the same top-level (never to a
//   frame or another program), offered as the window manager offers them, once the key that ended it is up. So do
//   keys the window gets while nothing is edited: a host that puts its focus on the window it embeds, or a take
//   landing after the name was saved. Keys the person types meanwhile are the host's.
// - Of the windows of the process in one top-level, only the one that took the keys last takes them on activation.
#include <xcb/xproto.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace pulvan::x11 {

using XWindow = xcb_window_t;
using XTime = xcb_timestamp_t;  // the server's milliseconds, wrapping; 0 is "now"

constexpr XWindow kPointerRoot = XCB_INPUT_FOCUS_POINTER_ROOT;

struct FocusRequest {
    // stamp: find out the server's time now, and tell it back (serverTime).
    enum class Kind : unsigned char { take, giveBack, stamp };
    Kind kind;
    XTime time;
    // take and stamp: the window itself; giveBack: the host's focus window, its top-level or kPointerRoot.
    XWindow to;
    // giveBack: the top-level also gets WM_TAKE_FOCUS, as from the window manager.
    bool offerTakeFocus = false;
    bool operator==(const FocusRequest&) const = default;
};

// Which of the process's windows took the keys last in each top-level; shared by every editor's thread.
class KeyboardClaims {
public:
    static std::shared_ptr<KeyboardClaims> process();
    // The window is in the top-level now.
    void place(XWindow topLevel, XWindow window);
    // The window takes the keys for a person's act at this time.
    void claim(XWindow window, XTime time);
    // Whether no other window of its top-level took the keys for a later act; a window that never took them comes
    // before every one that did, and of two at the same time the lowest-numbered counts as the latest.
    bool isLatest(XWindow window) const;
    void forget(XWindow window);

private:
    struct Entry {
        XWindow window, topLevel;
        std::optional<XTime> time;
    };
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

class KeyboardFocus {
public:
    KeyboardFocus(XWindow window, std::shared_ptr<KeyboardClaims> claims = KeyboardClaims::process());
    ~KeyboardFocus();
    KeyboardFocus(const KeyboardFocus&) = delete;
    KeyboardFocus& operator=(const KeyboardFocus&) = delete;

    // The top-level the window sits in (the window manager's client, not its frame; 0 for none), whether it takes
    // part in WM_TAKE_FOCUS, whether the focus is inside it now, and the window manager's active window when it
    // names one.
    void followTopLevel(XWindow topLevel, bool takesFocus, bool holdsFocus, std::optional<XWindow> active);
    void activeWindowChanged(XWindow active, XTime time);
    // A focus event's window, mode and detail (XCB_NOTIFY_MODE_*, XCB_NOTIFY_DETAIL_*).
    // `pointerOverHost`: the pointer is over the host's own part of the top-level (inside it, outside the window) as
    // its focus comes in, where a click on the host's widgets, not the window manager, moves it.
    void focusChanged(XWindow on, bool in, std::uint8_t mode, std::uint8_t detail, bool pointerOverHost = false);
    // The pointer crossed the window's edge; `focusAbove`: the focus is on an ancestor or on no window in particular.
    void pointerCrossed(bool entered, std::uint8_t detail, bool focusAbove);
    void pointerPressed(XTime time);
    void pointerReleased(XTime time);
    // The release of a press still held goes elsewhere: another client's grab took the pointer, or the window went
    // from the screen.
    void releaseGoesElsewhere();
    // A press (buttons 1 to 3) or a key anywhere on the screen, the window's own included (the server's raw events).
    void actedAnywhere(XTime time);
    // Whether the key is the host's: typed while no field is being edited and not the repeat or release of one the
    // window took. The window passes it on to the host.
    bool key(std::uint8_t keycode, bool pressed, XTime time);
    void editingChanged(bool editing);
    // Where the focus was as the window took the keys: a window (or kPointerRoot), and whether it is inside the
    // window's top-level.
    void tookFrom(XWindow focus, bool insideTopLevel);
    // The embedder's focus left the window (XEmbed FOCUS_OUT), its X focus left as it was: for a widget of its own,
    // unless the embedder says its window was deactivated (WINDOW_DEACTIVATE) before the server's time after it, or
    // has yet to say so for the top-level's focus going out (a grab of the window manager's included).
    void embedderFocusLeft();
    void embedderDeactivated();
    // A press on the host's own part of the top-level (a widget of its own), which the host may answer without
    // moving the X focus.
    void pressedOnTheHost(XTime time);
    // The server's time, as asked for by a stamp.
    void serverTime(XTime time);
    void closing();

    std::vector<FocusRequest> takeRequests();
    // Whether the server sends the window every key, so a caret shows.
    bool hasKeys() const { return keysCome_ || pointerKeys_; }
    bool holdsFocus() const { return focused_; }
    // A field being edited holds the keys, or asks for them.
    bool fieldHoldsTheKeys() const { return editing_ && (focused_ || claim_); }
    // A press in the window may yet stand for a field the program focuses: any act elsewhere ends that.
    bool pressMayStandForAField() const { return lastPress_ && !editing_; }
    // Where the keys go back to: the host's focus window, its top-level, kPointerRoot, or 0 for nowhere known.
    XWindow keysGoBackTo() const;
    // A key pressed where the keys came is not released yet.
    bool keyIsDown() const { return !keysDown_.empty(); }
    // The editing ended and the keys go back once the key that ended it is up.
    bool keysGoBackOnARelease() const { return endingKey_.has_value(); }
    XWindow topLevel() const { return topLevel_; }

private:
    void left();
    // The person turned to the host's own widgets: they get the keys.
    void leaveForTheHost();
    // The keys go back once no key is held.
    void release();
    void claim(XTime time, bool byPress, bool cameBack = false);
    void claimAgain(XTime time);
    // The host moved the focus in answer to the person coming back: the claim is asked over at the server's time
    // after, a few times at most.
    void askOverHostsAnswer();
    void giveBack(std::optional<XTime> time);
    bool activated() const { return wmNamesActive_ ? active_ : topLevelFocused_; }
    // Keys held as the keys went elsewhere are released there.
    void keysWentElsewhere();
    std::optional<XTime> latestTime() const;

    XWindow window_;
    std::shared_ptr<KeyboardClaims> claims_;
    XWindow topLevel_ = 0;
    bool takesFocus_ = false;
    bool wmNamesActive_ = false, active_ = false, topLevelFocused_ = false;
    bool editing_ = false;
    // The focus is on the window (keysCome_ also during another client's grab), or the keys follow the pointer into it.
    bool focused_ = false, keysCome_ = false, pointerKeys_ = false;
    // The act the keys are being taken or held for, while a field is being edited.
    struct Claim {
        XTime time;
        bool byPress;
        bool asked = false, lost = false, askedAgain = false;
        // A stamp tells whether the request landed, where the window manager's own focus change may overtake it: it
        // focuses a window it activated for a press at a time of its own, maybe after it named the window active.
        bool checking = false, retried = false, activatedForIt = false;
        // Taken as the person came back to the top-level (its activation, or its title bar clicked again), whether
        // the host's answer to that moving the focus is being asked over, and how many of its answers were.
        bool cameBack = false, overHostsAnswer = false, stampedOverHostsAnswer = false;
        int hostsAnswersAskedOver = 0;
    };
    std::optional<Claim> claim_;
    struct Press {
        XTime time;
        bool released = false;
        // Its release went elsewhere: the press stands only for a field focused soon after it.
        bool releaseUnseen = false;
    };
    std::optional<Press> lastPress_;
    // A field was focused after the press's release went elsewhere: whether the press stands for it waits for the
    // server's time.
    bool pressAnswerTimed_ = false;
    // The newest time the window manager named the top-level active, while it still is.
    std::optional<XTime> activatedAt_;
    // The window manager focused the top-level again; its time is still to come.
    bool focusedAgain_ = false;
    // The embedder's focus left the window, and whether the server's time after it was asked for.
    enum class EmbedderLeft : unsigned char { no, toAsk, asked };
    EmbedderLeft embedderLeft_ = EmbedderLeft::no;
    // Times the top-level's focus went out (to another window, or to the window manager's grab for a title-bar
    // click) that the embedder has yet to tell. GTK tells each as its focus leaving, then its window's deactivation,
    // maybe long after (a host busy repainting), and GTK 2 waits for a round trip after each word: the deactivation
    // may come well after the server's time after the focus leaving.
    int deactivationsUntold_ = 0;
    // None before the first: every time is valid, and a server up for 25 days counts from the upper half.
    std::optional<XTime> lastAct_, lastTake_;
    std::vector<std::uint8_t> keysDown_;
    // Keys whose press was the host's, so their release is too.
    std::vector<std::uint8_t> hostsKeysDown_;
    // The key whose release gives the keys back.
    std::optional<std::uint8_t> endingKey_;
    XWindow hostFocus_ = 0;
    bool fromPointerRoot_ = false;
    std::vector<FocusRequest> requests_;
};

}  // namespace pulvan::x11
