#pragma once
// The top of a tree of nodes in a window or an offscreen image: builds, lays out, paints and routes input.
#include "platform/foundation/main_queue.h"
#include "platform/ui/display_list.h"
#include "platform/ui/events.h"
#include "platform/ui/node.h"
#include "platform/ui/view.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::ui {

class Root {
public:
    // content is called for every full rebuild; its views observe what they read.
    Root(std::function<View()> content, foundation::MainQueue& queue);
    ~Root();
    Root(const Root&) = delete;
    Root& operator=(const Root&) = delete;

    foundation::MainQueue& mainQueue() const { return queue_; }
    // The clock, held still while a drawing is recorded: a caret's blink drawn at one instant.
    std::int64_t nowNanoseconds() const { return heldNow_ ? *heldNow_ : queue_.clock().nowNanoseconds(); }
    // The instant fades and animated scrolling are shown at: the last animation frame's. Only an animation frame,
    // which damages the whole window, moves it on, so a frame that repaints a part of the window in between shows
    // them as the rest of the window does.
    std::int64_t animationInstant() const { return animationInstant_; }

    // The window's size in points and its device pixels per point.
    void setSize(Size size);
    Size size() const { return size_; }
    void setDisplayScale(double scale);
    double displayScale() const { return scale_; }
    void setAnimationsEnabled(bool enabled);
    bool animationsEnabled() const { return animationsEnabled_; }

    // Builds everything again at the next update.
    void invalidate();
    // Called when an update is needed (the window host schedules one); may be called often.
    std::function<void()> onNeedsUpdate;
    bool needsUpdate() const;
    // When a running animation or fade next wants a frame.
    std::optional<std::int64_t> nextAnimationFrame() const { return nextAnimationFrame_; }

    // Rebuilds what is out of date, lays out, settles preferences and records the frame's drawing.
    void update();
    // An update that is also an animation frame, whenever the next one was due.
    void updateAnimationFrameNow();
    // The frame's drawing, of every part damaged since the last take however many updates ago (or, right after a
    // take, of what it took): whatever is painted from damage is painted from it.
    const DisplayList& displayList();
    // The parts of the window that changed since the last take, in points; empty when nothing did.
    Damage takeDamage();
    // The drawing of the whole frame, whatever was damaged, at the instant the frame's drawing was recorded.
    DisplayList wholeDisplayList();

    // Input in window points. Presses get their click count here.
    void dispatch(PointerEvent event);
    void dispatch(const ScrollEvent& event);
    void dispatch(const KeyEvent& event);
    void pointerLeftWindow();
    // The window lost the pointer grab or was hidden: every press under way is cancelled.
    void cancelPointer();
    CursorShape cursor() const { return cursor_; }
    // The tooltip to show now and where (after the pointer rested on a view with help text).
    struct Tooltip {
        std::string text;
        Point location;
    };
    const std::optional<Tooltip>& tooltip() const { return tooltip_; }

    // Keyboard focus: a key handler node, or none. Keys go only to views inside the newest key scope in the
    // tree (an alert, a prompt): a view beneath it that has or asks for the focus holds it there, without keys,
    // until the scope leaves.
    void focus(Node* node);
    // The focus inside the newest key scope (or anywhere while there is none).
    Node* focusedNode() const { return focused_; }
    // Called when the window starts or stops holding a focus for its views (a plug-in window asks the host for
    // the keyboard).
    std::function<void(bool)> onWantsKeyboardFocus;
    bool wantsKeyboardFocus() const { return keyboardWished_; }
    // Whether the window has the display's keyboard (a window host tells; offscreen it always has).
    void setHasKeyboardFocus(bool has);
    bool hasKeyboardFocus() const { return hasKeyboardFocus_; }
    // Whether keys reach the node now: it has the focus, no key scope covers it and the window has the keyboard.
    bool keysReach(const Node& node) const { return hasKeyboardFocus_ && focused_ == &node; }

    Node* rootNode() const { return node_.get(); }
    Node* find(const std::string& testId) const;
    std::vector<Node*> findAll(const std::string& testId) const;

    // Used by nodes.
    void requestUpdate();
    void requestLayout() {
        layoutNeeded_ = true;
        requestUpdate();
    }
    void scheduleAnimationFrame(std::int64_t atNanoseconds);
    // Builds the view again at the next animation frame.
    void animate(CompositeNode& node);
    void nodeWillUnmount(Node& node);
    void observeLayout(Node& node) { layoutObservers_.push_back(&node); }
    void listenForKeys(Node& node) { keyListeners_.push_back(&node); }
    void enterKeyScope(Node& scope);
    void markDamaged(const Rect& rootRect);
    void postLayoutWork(std::function<void()> work) { afterLayout_.push_back(std::move(work)); }

private:
    void settle();
    void settleBeforeInput();
    void rebuild();
    void rebuildDirty(Node& node);
    bool laidOutInPlace(Node& node, const Rect& frame, const decltype(Node::measurements_)& answers);
    void damageWhatRebuildsChanged();
    void layout();
    void record(DisplayList& list, const Damage* cull);
    // Records with the clock held at the instant.
    void recordAt(DisplayList& list, const Damage* cull, std::int64_t instant);
    void recordForDamage();
    void finishDepartures(Node& node, std::int64_t now);
    std::vector<Node*> hitChain(Point window) const;
    void updateHover(Point window, const std::vector<Node*>& chain);
    void clearTooltipTimer();
    PointerEvent cancelEvent(const Node& node) const;
    void leaveKeyScope(const Node& scope);
    // The node that took the press, or none.
    Node* deliverPress(const KeyEvent& event);
    bool listensInNewestKeyScope(const Node& node) const;
    void tellKeyboardWish();
    void damage(const Node& node);

    std::function<View()> content_;
    foundation::MainQueue& queue_;
    std::unique_ptr<Node> node_;
    Size size_;
    double scale_ = 1;
    bool animationsEnabled_ = true;
    bool fullRebuild_ = true;
    bool dirtyComposites_ = false;
    bool layoutNeeded_ = true;
    bool updateRequested_ = false;
    std::optional<std::int64_t> nextAnimationFrame_;
    DisplayList displayList_;
    Damage damage_;
    // The display list draws all of damage_.
    bool recorded_ = false;
    std::optional<std::int64_t> recordedAt_;
    std::optional<std::int64_t> heldNow_;
    std::int64_t animationInstant_ = 0;
    // Views built again in this update, with what they drew before: what they draw differently is damaged.
    struct Rebuilt {
        CompositeNode* node;
        std::shared_ptr<const bool> alive;
        DisplayList before;
    };
    std::vector<Rebuilt> rebuilt_;
    std::vector<std::function<void()>> afterLayout_;

    struct PressRecord {
        std::int64_t time = 0;
        Point location;
        int count = 0;
    };
    PressRecord lastPress_;
    struct PointerTarget {
        Node* node;
        PointerHandler* handler;
    };
    std::vector<PointerTarget> pressTargets_;
    Node* scrollTarget_ = nullptr;
    std::vector<Node*> hovered_;
    CursorShape cursor_ = CursorShape::arrow;
    std::optional<Tooltip> tooltip_;
    foundation::Timer tooltipTimer_;
    Node* focused_ = nullptr;
    // Key scopes in the order they joined the tree, each with the focus of the layer beneath it.
    struct KeyScope {
        const Node* scope;
        Node* focusBeneath;
    };
    std::vector<KeyScope> keyScopes_;
    // Keys held down, each with the view that took its press (none when nobody did, or it left).
    struct HeldKey {
        std::uint32_t key;
        Node* taker;
    };
    std::vector<HeldKey> heldKeys_;
    bool keyboardWished_ = false;
    bool hasKeyboardFocus_ = true;
    Point lastPointer_;
    std::vector<CompositeNode*> animating_;
    std::vector<Node*> layoutObservers_;
    std::vector<Node*> keyListeners_;
    bool inUpdate_ = false;
    friend class CompositeNode;
};

}  // namespace pulvan::ui
