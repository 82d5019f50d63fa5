#include "platform/x11/keyboard_focus.h"

#include <algorithm>
#include <utility>

namespace pulvan::x11 {
namespace {

// Server times wrap after 49 days: the later of two is the one less than half the clock ahead.
bool isLater(XTime a, XTime b) { return static_cast<std::int32_t>(a - b) > 0; }
// How long a press whose release went elsewhere stands for a field the program focuses: the person's acts in
// another client's grab go unseen.
constexpr XTime kAnswerTime = 2000;
// How many times in a row the host's answers to the person coming back are asked over: its own move to a window of
// its own, then the same once more after the window manager focused the top-level again at the host's request. A
// host that takes the focus back whenever the window takes it keeps it after these.
constexpr int kHostsAnswers = 4;
XTime later(XTime a, XTime b) { return isLater(a, b) ? a : b; }
std::optional<XTime> later(std::optional<XTime> a, std::optional<XTime> b) {
    if (!a || !b) return a ? a : b;
    return later(*a, *b);
}

}  // namespace

std::shared_ptr<KeyboardClaims> KeyboardClaims::process() {
    static const auto claims = std::make_shared<KeyboardClaims>();
    return claims;
}

void KeyboardClaims::place(XWindow topLevel, XWindow window) {
    const std::lock_guard lock(mutex_);
    const auto it = std::ranges::find(entries_, window, &Entry::window);
    if (it == entries_.end()) entries_.push_back({window, topLevel, std::nullopt});
    else it->topLevel = topLevel;
}

void KeyboardClaims::claim(XWindow window, XTime time) {
    const std::lock_guard lock(mutex_);
    if (const auto it = std::ranges::find(entries_, window, &Entry::window); it != entries_.end()) it->time = later(it->time, time);
}

bool KeyboardClaims::isLatest(XWindow window) const {
    const std::lock_guard lock(mutex_);
    const auto self = std::ranges::find(entries_, window, &Entry::window);
    if (self == entries_.end()) return true;
    // The requests of two windows are carried out in any order: the acts' times tell which came last.
    const auto isLaterThanSelf = [&](const Entry& other) {
        if (other.time == self->time) return other.window < window;
        return other.time && (!self->time || isLater(*other.time, *self->time));
    };
    return std::ranges::none_of(
        entries_, [&](const Entry& other) { return other.window != window && other.topLevel == self->topLevel && isLaterThanSelf(other); });
}

void KeyboardClaims::forget(XWindow window) {
    const std::lock_guard lock(mutex_);
    std::erase_if(entries_, [&](const Entry& e) { return e.window == window; });
}

KeyboardFocus::KeyboardFocus(XWindow window, std::shared_ptr<KeyboardClaims> claims) : window_(window), claims_(std::move(claims)) {
    claims_->place(0, window_);
}

KeyboardFocus::~KeyboardFocus() { claims_->forget(window_); }

void KeyboardFocus::followTopLevel(XWindow topLevel, bool takesFocus, bool holdsFocus, std::optional<XWindow> active) {
    if (topLevel != topLevel_) hostFocus_ = 0;
    topLevel_ = topLevel;
    takesFocus_ = takesFocus;
    topLevelFocused_ = holdsFocus;
    wmNamesActive_ = active.has_value();
    active_ = topLevel_ && active == topLevel_;
    claims_->place(topLevel_, window_);
}

// The value is read as the change is taken in, maybe only after later changes: each naming of the top-level counts
// at its own time, and the newest of them is the activation's.
void KeyboardFocus::activeWindowChanged(XWindow active, XTime time) {
    wmNamesActive_ = true;
    active_ = topLevel_ && active == topLevel_;
    if (!active_) {
        left();
        return;
    }
    activatedAt_ = later(activatedAt_, time);
    if (editing_ && claims_->isLatest(window_) && (!claim_ || isLater(time, claim_->time))) claim(time, false, true);
}

void KeyboardFocus::focusChanged(XWindow on, bool in, std::uint8_t mode, std::uint8_t detail, bool pointerOverHost) {
    const bool grabbing = mode == XCB_NOTIFY_MODE_GRAB || mode == XCB_NOTIFY_MODE_UNGRAB;
    if (on == topLevel_) {
        // The top-level's focus going out of it, or to a grab (the window manager's): its embedder deactivates it.
        if (!in && (mode == XCB_NOTIFY_MODE_NORMAL || mode == XCB_NOTIFY_MODE_GRAB) &&
            (detail == XCB_NOTIFY_DETAIL_ANCESTOR || detail == XCB_NOTIFY_DETAIL_VIRTUAL || detail == XCB_NOTIFY_DETAIL_NONLINEAR ||
             detail == XCB_NOTIFY_DETAIL_NONLINEAR_VIRTUAL))
            ++deactivationsUntold_;
        // A grab moves the keys for a while, not the focus; the other details are the pointer's and the root's.
        if (grabbing || detail == XCB_NOTIFY_DETAIL_POINTER || detail == XCB_NOTIFY_DETAIL_POINTER_ROOT || detail == XCB_NOTIFY_DETAIL_NONE)
            return;
        if (!in && detail == XCB_NOTIFY_DETAIL_INFERIOR) return;  // into one of its own windows: ours, say
        // From one of its own windows to the top-level itself with the pointer over the host's part of it: the host
        // moved it (a click on a widget of its own), a change the window asks nothing over.
        // Not where the person came back by a press there (a title bar the host draws itself): that is the host's
        // answer to the person's act.
        if (in && detail == XCB_NOTIFY_DETAIL_INFERIOR && pointerOverHost && claim_) {
            if (claim_->cameBack && editing_) askOverHostsAnswer();
            else claim_->askedAgain = true;
        }
        // Else, while the window manager names it active: the window manager focusing it again (its title bar
        // clicked, a pager) or answering a click in the window. The change carries no time: the server's is asked
        // for, and no focus change that comes before it goes unseen.
        if (in && detail == XCB_NOTIFY_DETAIL_INFERIOR && !pointerOverHost && editing_ && wmNamesActive_ && active_ &&
            claims_->isLatest(window_) && !focusedAgain_) {
            focusedAgain_ = true;
            requests_.push_back({FocusRequest::Kind::stamp, 0, window_});
        }
        topLevelFocused_ = in;
        if (!in) left();
        return;
    }
    if (on != window_) return;
    // The window has no inferiors, and these details are the root window's.
    if (detail == XCB_NOTIFY_DETAIL_INFERIOR || detail == XCB_NOTIFY_DETAIL_POINTER_ROOT || detail == XCB_NOTIFY_DETAIL_NONE) return;
    if (detail == XCB_NOTIFY_DETAIL_POINTER) {
        pointerKeys_ = in;
        if (!in) keysWentElsewhere();
        return;
    }
    // The keys go where these say, a grab's included.
    keysCome_ = in;
    if (in) pointerKeys_ = false;
    else keysWentElsewhere();
    if (grabbing) return;
    focused_ = in;
    // No field takes keys, and the server passes none beyond the focus window: the host's own keys would be lost.
    if (in && !editing_) release();
    if (in || !claim_) return;
    if (claim_->asked) claim_->lost = true;
    // The host moving the focus to a window of its own as the person came back (a title bar it draws itself, whose
    // press activated the window) answers that act, not one of its own: asked over at the server's time after.
    if (claim_->cameBack && editing_) askOverHostsAnswer();
}

void KeyboardFocus::askOverHostsAnswer() {
    if (claim_->overHostsAnswer || claim_->hostsAnswersAskedOver >= kHostsAnswers) return;
    claim_->overHostsAnswer = true;
    ++claim_->hostsAnswersAskedOver;
}

// While the focus is on an ancestor of the window (or on no window in particular), the keys go to the window
// under the pointer: crossing into or out of the window moves them. The focus on the window itself stays put.
void KeyboardFocus::pointerCrossed(bool entered, std::uint8_t detail, bool focusAbove) {
    if (!focusAbove || keysCome_ || detail == XCB_NOTIFY_DETAIL_INFERIOR) return;
    pointerKeys_ = entered;
    if (!entered) keysWentElsewhere();
}

void KeyboardFocus::pointerPressed(XTime time) {
    lastAct_ = time;
    lastPress_ = Press{time};
    if (editing_) claim(time, true);
}

void KeyboardFocus::pointerReleased(XTime time) {
    lastAct_ = time;
    if (lastPress_) lastPress_->released = true;
}

void KeyboardFocus::releaseGoesElsewhere() {
    if (lastPress_ && !lastPress_->released) lastPress_->releaseUnseen = true;
}

// The raw event of a press in the window comes with the window's own, at the same time.
void KeyboardFocus::actedAnywhere(XTime time) {
    if (lastPress_ && lastPress_->time != time) lastPress_.reset();
}

bool KeyboardFocus::key(std::uint8_t keycode, bool pressed, XTime time) {
    lastAct_ = time;
    const bool hostsTime = !editing_ && topLevel_;
    if (pressed) {
        if (std::ranges::find(keysDown_, keycode) != keysDown_.end()) return false;  // a repeat
        if (hostsTime) {
            if (std::ranges::find(hostsKeysDown_, keycode) == hostsKeysDown_.end()) hostsKeysDown_.push_back(keycode);
            return true;
        }
        keysDown_.push_back(keycode);
        return false;
    }
    if (std::erase(hostsKeysDown_, keycode)) return true;
    // Pressed before the keys came here: where the press went.
    if (!std::erase(keysDown_, keycode)) return hostsTime;
    if (endingKey_ == keycode) {
        endingKey_.reset();
        giveBack(time);
    }
    return false;
}

void KeyboardFocus::editingChanged(bool editing) {
    if (editing == editing_) return;
    editing_ = editing;
    focusedAgain_ = false;
    if (editing) {
        endingKey_.reset();
        // A field focused by what a press in the window did (Save opening the dialog) takes the keys for that
        // press however long the program took, unless the person did anything else since.
        if (claim_ || !lastPress_) return;
        if (!lastPress_->releaseUnseen) {
            claim(lastPress_->time, true);
        } else if (!std::exchange(pressAnswerTimed_, true)) {
            requests_.push_back({FocusRequest::Kind::stamp, 0, window_});
        }
        return;
    }
    // The press stood for this editing.
    lastPress_.reset();
    claim_.reset();
    release();
}

// The embedder tells its focus leaving and its window's deactivation at once: known once the server's time after
// them comes. Not during a grab (the window manager's Alt+Tab, which may yet be called off): the embedder says so
// for any grab.
void KeyboardFocus::embedderFocusLeft() {
    if (keysCome_ && deactivationsUntold_ == 0 && embedderLeft_ == EmbedderLeft::no) embedderLeft_ = EmbedderLeft::toAsk;
}

void KeyboardFocus::embedderDeactivated() {
    embedderLeft_ = EmbedderLeft::no;
    deactivationsUntold_ = std::max(deactivationsUntold_ - 1, 0);
}

void KeyboardFocus::pressedOnTheHost(XTime time) {
    lastAct_ = time;
    lastPress_.reset();
    leaveForTheHost();
}

void KeyboardFocus::leaveForTheHost() {
    if (!focused_ || !keysCome_ || endingKey_) return;
    claim_.reset();
    release();
}

void KeyboardFocus::release() {
    // The key held last would repeat into the host: the keys go back once it is up.
    if (!keysDown_.empty()) endingKey_ = keysDown_.back();
    else giveBack(latestTime());
}

void KeyboardFocus::serverTime(XTime time) {
    if (std::exchange(embedderLeft_, EmbedderLeft::no) == EmbedderLeft::asked) leaveForTheHost();
    if (std::exchange(pressAnswerTimed_, false) && editing_ && !claim_ && lastPress_ && lastPress_->releaseUnseen &&
        !isLater(time, lastPress_->time + kAnswerTime))
        claim(lastPress_->time, true);
    if (std::exchange(focusedAgain_, false) && editing_) claim(time, false, true);
    // Had the request landed, its focus event would have come before this time: it was refused for a focus change
    // made before it. Where that kept the focus in the top-level, still active, it is asked again at this time.
    if (claim_ && std::exchange(claim_->checking, false) && editing_ && !focused_ && !claim_->lost && !claim_->askedAgain &&
        topLevelFocused_ && activated()) {
        claimAgain(time);
        claim_->retried = true;
    }
    // The host's answer kept the focus in the top-level, still active, and no other view took the keys since.
    if (claim_ && std::exchange(claim_->overHostsAnswer, false)) {
        claim_->stampedOverHostsAnswer = false;
        if (editing_ && !focused_ && topLevelFocused_ && activated() && claims_->isLatest(window_)) claimAgain(time);
    }
}

// Where the host keeps its keyboard in the same top-level; a frame's or another program's window is none of it.
void KeyboardFocus::tookFrom(XWindow focus, bool insideTopLevel) {
    fromPointerRoot_ = focus == kPointerRoot;
    if (insideTopLevel && focus != topLevel_ && focus != window_) hostFocus_ = focus;
}

void KeyboardFocus::closing() {
    editing_ = false;
    lastPress_.reset();
    claim_.reset();
    endingKey_.reset();
    giveBack(latestTime());
}

std::vector<FocusRequest> KeyboardFocus::takeRequests() {
    if (embedderLeft_ == EmbedderLeft::toAsk) {
        embedderLeft_ = EmbedderLeft::asked;
        requests_.push_back({FocusRequest::Kind::stamp, 0, window_});
    }
    if (claim_ && editing_) {
        Claim& c = *claim_;
        const bool ask = !c.asked && (c.byPress || topLevelFocused_);
        // The host's answer to the same act (a click it also takes the focus for) may land after ours; asked once
        // more at the act's time, the server keeps whichever change came since.
        const bool askAgain = c.asked && c.lost && !c.askedAgain && topLevelFocused_ && activated();
        if (ask || askAgain) {
            (ask ? c.asked : c.askedAgain) = true;
            requests_.push_back({FocusRequest::Kind::take, c.time, window_});
            lastTake_ = later(lastTake_, c.time);
            claims_->claim(window_, c.time);
            // The window manager focusing the top-level for the same act may do so at a later time than the act's
            // (after naming it active, after the press): the server then refuses the request.
            if (ask && !c.retried && (!c.byPress || !topLevelFocused_ || c.activatedForIt)) {
                c.checking = true;
                requests_.push_back({FocusRequest::Kind::stamp, 0, window_});
            }
        }
        // Where the focus left the top-level too, the claim is gone by now.
        if (c.overHostsAnswer && !std::exchange(c.stampedOverHostsAnswer, true))
            requests_.push_back({FocusRequest::Kind::stamp, 0, window_});
    }
    return std::exchange(requests_, {});
}

// The person went to another window: it has the keys, and nothing here takes them back.
void KeyboardFocus::left() {
    focusedAgain_ = false;
    pressAnswerTimed_ = false;
    activatedAt_.reset();
    claim_.reset();
    lastPress_.reset();
    endingKey_.reset();
}

// A press in a window the window manager activated for it counts at the activation's time, which may be later:
// the server refuses a request older than the focus change the activation made.
void KeyboardFocus::claim(XTime time, bool byPress, bool cameBack) {
    const bool activatedForIt = byPress && activated() && activatedAt_ && !isLater(time, *activatedAt_);
    if (activatedForIt) time = *activatedAt_;
    claim_ = Claim{time, byPress};
    claim_->activatedForIt = activatedForIt;
    claim_->cameBack = cameBack;
    endingKey_.reset();
}

// The same act's claim, asked at a later time: the host's answers to it still count.
void KeyboardFocus::claimAgain(XTime time) {
    const int answers = claim_->hostsAnswersAskedOver;
    claim(time, false, claim_->cameBack);
    claim_->hostsAnswersAskedOver = answers;
}

void KeyboardFocus::keysWentElsewhere() {
    keysDown_.clear();
    hostsKeysDown_.clear();
    // The ending key's release went there too.
    if (endingKey_) {
        endingKey_.reset();
        giveBack(latestTime());
    }
}

// Only while the window still has the focus: the person may have taken it elsewhere meanwhile. Without an act's
// time, at the server's own; WM_TAKE_FOCUS is never offered without one.
void KeyboardFocus::giveBack(std::optional<XTime> time) {
    if (!focused_) return;
    const XWindow to = keysGoBackTo();
    if (!to) return;
    requests_.push_back({FocusRequest::Kind::giveBack, time.value_or(XCB_CURRENT_TIME), to, takesFocus_ && time && to != kPointerRoot});
}

XWindow KeyboardFocus::keysGoBackTo() const { return fromPointerRoot_ ? kPointerRoot : hostFocus_ ? hostFocus_ : topLevel_; }

std::optional<XTime> KeyboardFocus::latestTime() const { return later(lastAct_, lastTake_); }

}  // namespace pulvan::x11
