#include "platform/ui/root.h"

#include "platform/ui/drawn_bounds.h"
#include "platform/ui/input.h"

#include <algorithm>
#include <cmath>

namespace pulvan::ui {

namespace {
constexpr std::int64_t multiClickNanoseconds = 400'000'000;
constexpr double multiClickDistance = 4;
constexpr std::int64_t tooltipDelayNanoseconds = 1'000'000'000;
constexpr std::int64_t animationFrameNanoseconds = 16'666'667;
constexpr int maxPassesPerUpdate = 4;

Point localPoint(const Node& node, Point window) {
    const Point p = node.transformToRoot().inverted().apply(window);
    return {p.x - node.frame().x, p.y - node.frame().y};
}

template <typename F>
void walk(Node& node, F&& f) {
    f(node);
    for (const auto& c : node.children()) walk(*c, f);
}

bool within(const Node& node, const Node& ancestor) {
    for (const Node* n = &node; n; n = n->parent())
        if (n == &ancestor) return true;
    return false;
}
}  // namespace

Root::Root(std::function<View()> content, foundation::MainQueue& queue) : content_(std::move(content)), queue_(queue) {}

Root::~Root() {
    tooltipTimer_.cancel();
    if (node_) node_->unmount();
    node_.reset();
}

void Root::setSize(Size size) {
    if (size == size_) return;
    size_ = size;
    layoutNeeded_ = true;
    markDamaged({0, 0, size.width, size.height});
    requestUpdate();
}

void Root::setDisplayScale(double scale) {
    if (scale == scale_) return;
    scale_ = scale;
    invalidate();
}

void Root::setAnimationsEnabled(bool enabled) {
    animationsEnabled_ = enabled;
    invalidate();
}

void Root::invalidate() {
    fullRebuild_ = true;
    requestUpdate();
}

void Root::requestUpdate() {
    if (updateRequested_) return;
    updateRequested_ = true;
    if (onNeedsUpdate) onNeedsUpdate();
}

bool Root::needsUpdate() const { return updateRequested_ || fullRebuild_ || dirtyComposites_ || layoutNeeded_; }

void Root::scheduleAnimationFrame(std::int64_t at) {
    at = std::max(at, nowNanoseconds() + animationFrameNanoseconds);
    if (!nextAnimationFrame_ || at < *nextAnimationFrame_) nextAnimationFrame_ = at;
    requestUpdate();
}

void Root::animate(CompositeNode& node) {
    if (std::find(animating_.begin(), animating_.end(), &node) == animating_.end()) animating_.push_back(&node);
    scheduleAnimationFrame(nowNanoseconds());
}

// Out to whole device pixels: a window paints every pixel the area touches, so whatever draws anywhere in
// them is recorded too (a line just beside the area's edge, on a pixel it shares).
void Root::markDamaged(const Rect& rect) {
    const double x0 = std::floor(rect.x * scale_) / scale_, y0 = std::floor(rect.y * scale_) / scale_;
    const double x1 = std::ceil(rect.maxX() * scale_) / scale_, y1 = std::ceil(rect.maxY() * scale_) / scale_;
    const Rect inside = Rect{x0, y0, x1 - x0, y1 - y0}.intersection({0, 0, size_.width, size_.height});
    if (inside.isEmpty()) return;
    damage_.add(inside);
    recorded_ = false;
}

// The damage of a window that shows nothing adds up over many updates, and the list draws all of it. Views may
// settle what they show as they draw (a field's scroll): each update that damaged anything records.
void Root::recordForDamage() {
    if (recorded_) return;
    recordedAt_ = nowNanoseconds();
    // An update that began before an animation frame was due may record after it (a slow build, a busy machine):
    // the drawing is of the frame's instant, a caret's blink turned or a fade on, wherever it was not damaged.
    if (nextAnimationFrame_ && *recordedAt_ >= *nextAnimationFrame_) {
        markDamaged({0, 0, size_.width, size_.height});
        animationInstant_ = *recordedAt_;
    }
    recordAt(displayList_, &damage_, *recordedAt_);
    recorded_ = true;
}

const DisplayList& Root::displayList() {
    recordForDamage();
    return displayList_;
}

Damage Root::takeDamage() {
    recordForDamage();
    return std::exchange(damage_, Damage{});
}

DisplayList Root::wholeDisplayList() {
    DisplayList whole;
    recordAt(whole, nullptr, recordedAt_ ? *recordedAt_ : nowNanoseconds());
    return whole;
}

void Root::recordAt(DisplayList& list, const Damage* cull, std::int64_t instant) {
    const auto outer = std::exchange(heldNow_, instant);
    record(list, cull);
    heldNow_ = outer;
}

void Root::update() {
    if (inUpdate_) return;
    inUpdate_ = true;
    updateRequested_ = false;
    const std::int64_t now = nowNanoseconds();
    if (nextAnimationFrame_ && now >= *nextAnimationFrame_) {
        nextAnimationFrame_.reset();
        animationInstant_ = now;
        for (CompositeNode* node : std::exchange(animating_, {})) node->markDirty();
        layoutNeeded_ = true;
        // Animation frames are rare (fades, animated scrolling, a caret's blink): they redraw the window.
        markDamaged({0, 0, size_.width, size_.height});
        if (node_)
            walk(*node_, [&](Node& n) {
                if (n.appearing_ && n.transitionOpacity() >= 1) n.appearing_ = false;
                else if (n.appearing_) scheduleAnimationFrame(now);
            });
    }
    settle();
    damageWhatRebuildsChanged();
    if (node_) finishDepartures(*node_, now);
    recordForDamage();
    inUpdate_ = false;
}

void Root::settle() {
    for (int pass = 0; pass < maxPassesPerUpdate; ++pass) {
        const bool rebuilt = fullRebuild_ || dirtyComposites_;
        if (fullRebuild_) rebuild();
        else if (dirtyComposites_) {
            dirtyComposites_ = false;
            rebuildDirty(*node_);
        }
        if (!rebuilt && !layoutNeeded_) break;
        layout();
        for (auto& work : std::exchange(afterLayout_, {})) work();
        if (!fullRebuild_ && !dirtyComposites_) break;
    }
}

// Events queued between two frames each see what the ones before them changed, as the user would have.
void Root::settleBeforeInput() {
    if (inUpdate_ || !(fullRebuild_ || dirtyComposites_)) return;
    inUpdate_ = true;
    settle();
    inUpdate_ = false;
}

void Root::updateAnimationFrameNow() {
    if (nextAnimationFrame_) nextAnimationFrame_ = nowNanoseconds();
    update();
}

void Root::rebuild() {
    fullRebuild_ = false;
    dirtyComposites_ = false;
    const BuildScope scope{Environment().with<DisplayScaleKey>(scale_).with<AnimationsEnabledKey>(animationsEnabled_), this};
    applyView(node_, content_(), nullptr, scope);
    markDamaged({0, 0, size_.width, size_.height});
}

void Root::rebuildDirty(Node& node) {
    if (auto* composite = dynamic_cast<CompositeNode*>(&node); composite && composite->isDirty()) {
        DisplayList before;
        recordDrawing(*composite, before);
        rebuilt_.push_back({composite, composite->liveness(), std::move(before)});
        const auto answers = composite->measurements_;
        const Rect frame = composite->frame_;
        {
            const LayoutBoundary boundary(*composite);
            composite->reevaluate();
        }
        if (!laidOutInPlace(*composite, frame, answers) && composite->parent_) composite->parent_->markLayoutDirty();
        layoutNeeded_ = true;
        return;
    }
    for (const auto& c : node.children()) rebuildDirty(*c);
}

// A rebuilt view that left the tree was damaged as it left; one that stays damages what it draws anew.
void Root::damageWhatRebuildsChanged() {
    for (Rebuilt& r : std::exchange(rebuilt_, {})) {
        if (!*r.alive) continue;
        DisplayList after;
        recordDrawing(*r.node, after);
        const Transform toRoot = r.node->transformToRoot();
        for (const Rect& area : changedAreas(r.before, after)) markDamaged(toRoot.apply(area));
    }
}

// A view built again that answers its parent's proposals as before keeps its frame: only it is laid out.
bool Root::laidOutInPlace(Node& node, const Rect& frame, const decltype(Node::measurements_)& answers) {
    if (!node.layoutDirty_) return true;
    if (!node.parent_ || std::none_of(answers.begin(), answers.end(), [](const auto& m) { return m.generation != 0; })) return false;
    beginLayoutPass();
    for (const auto& m : answers)
        if (m.generation != 0 && !(node.measure(m.proposal) == m.size)) return false;
    node.place(frame);
    for (Node* n = node.parent_; n; n = n->parent_) n->drawnBounds_ = n->computeDrawnBounds();
    return true;
}

void Root::layout() {
    layoutNeeded_ = false;
    if (!node_) return;
    beginLayoutPass();
    const Size s = node_->measure({size_.width, size_.height});
    node_->place({(size_.width - s.width) / 2, (size_.height - s.height) / 2, s.width, s.height});
    // Observers may leave or join the tree while they run; run those that were there.
    const auto observers = layoutObservers_;
    for (Node* n : observers)
        if (std::find(layoutObservers_.begin(), layoutObservers_.end(), n) != layoutObservers_.end()) n->didLayout();
}

void Root::finishDepartures(Node& node, std::int64_t now) {
    auto& children = node.children_;
    for (auto it = children.begin(); it != children.end();) {
        Node& c = **it;
        if (c.isDeparting() && c.transitionOpacity() <= 0) {
            markDamaged(c.frameInRoot());
            it = children.erase(it);
            continue;
        }
        if (c.isDeparting()) scheduleAnimationFrame(now);
        finishDepartures(c, now);
        ++it;
    }
}

void Root::record(DisplayList& list, const Damage* cull) {
    list.clear();
    if (node_) {
        if (cull) recordDrawing(*node_, list, *cull);
        else recordDrawing(*node_, list);
    }
    if (tooltip_) {
        TextStyle style;
        style.font = Font::system(11);
        auto layout = TextEngine::shared().layout(tooltip_->text, style, 320.0);
        const Size ts = layout->size();
        Rect box{tooltip_->location.x + 8, tooltip_->location.y + 18, ts.width + 12, ts.height + 8};
        box.x = std::max(0.0, std::min(box.x, size_.width - box.width));
        box.y = std::max(0.0, std::min(box.y, size_.height - box.height));
        Path bubble;
        bubble.addRoundedRect(box, 4);
        list.add(draw::Fill{bubble, Color{0.16, 0.16, 0.18, 0.96}});
        list.add(draw::Stroke{bubble, Color{1, 1, 1, 0.12}, StrokeStyle{1}});
        list.add(draw::Text{layout, {box.x + 6, box.y + 4}, Color{0.86, 0.86, 0.87, 1}});
    }
}

Node* Root::find(const std::string& testId) const {
    auto all = findAll(testId);
    return all.empty() ? nullptr : all.front();
}

std::vector<Node*> Root::findAll(const std::string& testId) const {
    std::vector<Node*> found;
    if (node_)
        walk(*node_, [&](Node& n) {
            if (!n.isDeparting() && n.testId() == testId) found.push_back(&n);
        });
    return found;
}

std::vector<Node*> Root::hitChain(Point window) const {
    std::vector<Node*> chain;
    if (node_) node_->hitTest(window, chain);
    return chain;
}

void Root::dispatch(PointerEvent event) {
    settleBeforeInput();
    const Point window = event.location;
    event.windowLocation = window;
    lastPointer_ = window;
    if (event.timeNanoseconds == 0) event.timeNanoseconds = nowNanoseconds();
    if (event.phase == PointerPhase::press) {
        const bool continues = lastPress_.count > 0 && event.timeNanoseconds - lastPress_.time <= multiClickNanoseconds &&
                               distance(window, lastPress_.location) <= multiClickDistance;
        lastPress_ = {event.timeNanoseconds, window, continues ? lastPress_.count + 1 : 1};
        event.clickCount = lastPress_.count;
        // A press that arrives while another is under way ends the old one first.
        if (!pressTargets_.empty()) cancelPointer();
        tooltip_.reset();
        clearTooltipTimer();
        const auto chain = hitChain(window);
        if (std::any_of(chain.begin(), chain.end(), [](Node* n) { return n->swallowsInput(); })) return;
        if (focused_ && std::find(chain.begin(), chain.end(), focused_) == chain.end()) focus(nullptr);
        // The handler nearest the pointer takes the press, with the other gestures of the same view (the
        // modifiers stacked on it); handlers of enclosing views only when they act simultaneously.
        bool primaryFound = false, sameView = true;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            if (primaryFound && !(*it)->isModifier()) sameView = false;
            PointerHandler* h = (*it)->pointerHandler();
            if (!h) continue;
            if (!primaryFound || sameView || h->actsSimultaneously()) pressTargets_.push_back({*it, h});
            primaryFound = true;
        }
    } else {
        event.clickCount = lastPress_.count;
    }
    if (pressTargets_.empty()) {
        if (event.phase == PointerPhase::move) updateHover(window, hitChain(window));
        return;
    }
    // Handlers only change state here; views leave the tree at the next update, never during dispatch.
    const auto targets = pressTargets_;
    if (event.phase == PointerPhase::release || event.phase == PointerPhase::cancel) pressTargets_.clear();
    for (const PointerTarget& t : targets) {
        PointerEvent local = event;
        local.location = localPoint(*t.node, window);
        t.handler->pointerEvent(local);
    }
    if (event.phase == PointerPhase::release) updateHover(window, hitChain(window));
}

void Root::cancelPointer() {
    const auto targets = std::exchange(pressTargets_, {});
    for (const PointerTarget& t : targets) t.handler->pointerEvent(cancelEvent(*t.node));
}

PointerEvent Root::cancelEvent(const Node& node) const {
    PointerEvent cancel;
    cancel.phase = PointerPhase::cancel;
    cancel.windowLocation = lastPointer_;
    cancel.location = localPoint(node, lastPointer_);
    cancel.clickCount = lastPress_.count;
    cancel.timeNanoseconds = nowNanoseconds();
    return cancel;
}

void Root::pointerLeftWindow() { updateHover({-1e9, -1e9}, {}); }

void Root::updateHover(Point window, const std::vector<Node*>& chain) {
    for (Node* n : hovered_)
        if (std::find(chain.begin(), chain.end(), n) == chain.end()) n->hoverChanged(false);
    for (Node* n : chain)
        if (std::find(hovered_.begin(), hovered_.end(), n) == hovered_.end()) n->hoverChanged(true);
    const std::string* help = nullptr;
    CursorShape cursor = CursorShape::arrow;
    bool cursorFound = false;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!cursorFound)
            if (auto c = (*it)->cursor()) cursor = *c, cursorFound = true;
        if (!help) help = (*it)->tooltip();
    }
    cursor_ = cursor;
    const Node* helpNode = nullptr;
    for (Node* n : chain)
        if (n->tooltip() == help) helpNode = n;
    const bool sameHelp = !hovered_.empty() && help && std::find(hovered_.begin(), hovered_.end(), helpNode) != hovered_.end();
    hovered_ = chain;
    if (sameHelp) return;
    if (tooltip_) {
        tooltip_.reset();
        markDamaged({0, 0, size_.width, size_.height});
        requestUpdate();
    }
    clearTooltipTimer();
    if (help) {
        const std::string text = *help;
        tooltipTimer_ = queue_.scheduleOneShot(tooltipDelayNanoseconds, [this, text, window] {
            tooltip_ = Tooltip{text, window};
            markDamaged({0, 0, size_.width, size_.height});
            requestUpdate();
        });
    }
}

void Root::clearTooltipTimer() { tooltipTimer_.cancel(); }

void Root::dispatch(const ScrollEvent& event) {
    settleBeforeInput();
    const bool continuing =
        event.phase == ScrollPhase::changed || event.phase == ScrollPhase::ended || event.phase == ScrollPhase::cancelled;
    auto deliver = [&](Node* n) {
        ScrollHandler* h = n->scrollHandler();
        if (!h) return false;
        ScrollEvent local = event;
        local.windowLocation = event.location;
        local.location = localPoint(*n, event.location);
        return h->scrollEvent(local);
    };
    if (continuing && scrollTarget_) {
        Node* target = scrollTarget_;
        if (event.phase != ScrollPhase::changed) scrollTarget_ = nullptr;
        deliver(target);
        return;
    }
    const auto chain = hitChain(event.location);
    if (std::any_of(chain.begin(), chain.end(), [](Node* n) { return n->swallowsInput(); })) return;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (deliver(*it)) {
            scrollTarget_ = event.phase == ScrollPhase::began ? *it : nullptr;
            return;
        }
    }
}

// A key's repeats and its release go only to the view that took its press: Return held as it closes a prompt
// must not submit the field beneath once per repeat. The repeats go there only while a new press could reach
// it too: Return held on a field whose submit raises a question must not raise it again from beneath the
// question. The release always does, so that no key stays down in the view.
void Root::dispatch(const KeyEvent& event) {
    settleBeforeInput();
    const std::uint32_t key = event.keycode ? event.keycode : event.keysym;
    const auto held = std::find_if(heldKeys_.begin(), heldKeys_.end(), [&](const HeldKey& k) { return k.key == key; });
    if (event.isRepeat || !event.pressed) {
        if (held == heldKeys_.end()) return;  // pressed before the window had the keys
        Node* taker = held->taker;
        if (!event.pressed) heldKeys_.erase(held);
        if (taker && (!event.pressed || taker == focused_ || listensInNewestKeyScope(*taker))) taker->keyHandler()->keyEvent(event);
        return;
    }
    Node* taker = deliverPress(event);
    if (held != heldKeys_.end()) held->taker = taker;
    else heldKeys_.push_back({key, taker});
}

Node* Root::deliverPress(const KeyEvent& event) {
    if (focused_)
        if (KeyHandler* h = focused_->keyHandler(); h && h->keyEvent(event)) return focused_;
    // The listener that joined the tree last (the topmost overlay, as a rule) hears it first.
    const auto listeners = keyListeners_;
    for (auto it = listeners.rbegin(); it != listeners.rend(); ++it)
        if (listensInNewestKeyScope(**it) && (*it)->keyHandler()->keyEvent(event)) return *it;
    return nullptr;
}

// None beneath the newest key scope hears anything; a listener that left the tree hears nothing either.
bool Root::listensInNewestKeyScope(const Node& node) const {
    const Node* scope = keyScopes_.empty() ? nullptr : keyScopes_.back().scope;
    return std::find(keyListeners_.begin(), keyListeners_.end(), &node) != keyListeners_.end() && (!scope || within(node, *scope));
}

void Root::focus(Node* node) {
    // The focus of the node's layer: the newest scope's is focused_, a lower layer's waits under the scope above it.
    Node** slot = &focused_;
    if (node)
        for (auto it = keyScopes_.rbegin(); it != keyScopes_.rend() && !within(*node, *it->scope); ++it) slot = &it->focusBeneath;
    if (node == *slot) return;
    Node* old = std::exchange(*slot, node);
    if (old)
        if (KeyHandler* h = old->keyHandler()) h->focusChanged(false);
    if (node)
        if (KeyHandler* h = node->keyHandler()) h->focusChanged(true);
    tellKeyboardWish();
}

// The window holds the keyboard while any layer has a focus, so that a message over a field keeps the keys
// from going elsewhere.
void Root::tellKeyboardWish() {
    const bool wish = focused_ || std::any_of(keyScopes_.begin(), keyScopes_.end(), [](const KeyScope& s) { return s.focusBeneath; });
    if (wish == keyboardWished_) return;
    keyboardWished_ = wish;
    if (onWantsKeyboardFocus) onWantsKeyboardFocus(wish);
}

void Root::setHasKeyboardFocus(bool has) {
    if (has == hasKeyboardFocus_) return;
    hasKeyboardFocus_ = has;
    if (focused_) damage(*focused_);
}

void Root::damage(const Node& node) {
    markDamaged(node.transformToRoot().apply(node.drawnBounds()));
    requestUpdate();
}

// What had the focus keeps it beneath the scope, without keys, and has them again when the scope leaves.
void Root::enterKeyScope(Node& scope) {
    keyScopes_.push_back({&scope, std::exchange(focused_, nullptr)});
    if (Node* beneath = keyScopes_.back().focusBeneath) damage(*beneath);
}

void Root::leaveKeyScope(const Node& scope) {
    const auto it = std::find_if(keyScopes_.begin(), keyScopes_.end(), [&](const KeyScope& s) { return s.scope == &scope; });
    if (it == keyScopes_.end()) return;
    Node* beneath = it->focusBeneath;
    const auto above = keyScopes_.erase(it);
    if (above != keyScopes_.end()) {
        if (!above->focusBeneath) above->focusBeneath = beneath;
    } else if (!focused_) {
        focused_ = beneath;
        if (beneath) damage(*beneath);
    }
}

void Root::nodeWillUnmount(Node& node) {
    markDamaged(node.transformToRoot().apply(node.drawnBounds()));
    std::erase(layoutObservers_, &node);
    std::erase(keyListeners_, &node);
    for (std::size_t i = 0; i < pressTargets_.size();) {
        if (pressTargets_[i].node == &node) {
            const PointerTarget t = pressTargets_[i];
            pressTargets_.erase(pressTargets_.begin() + static_cast<std::ptrdiff_t>(i));
            t.handler->pointerEvent(cancelEvent(node));
        } else {
            ++i;
        }
    }
    // A phased scroll under way ends for a view that leaves, as a press does.
    if (scrollTarget_ == &node) {
        if (ScrollHandler* h = node.scrollHandler()) {
            ScrollEvent cancel;
            cancel.phase = ScrollPhase::cancelled;
            cancel.windowLocation = lastPointer_;
            cancel.location = localPoint(node, lastPointer_);
            cancel.hasPreciseDeltas = true;
            cancel.timeNanoseconds = nowNanoseconds();
            h->scrollEvent(cancel);
        }
    }
    std::erase(hovered_, &node);
    std::erase_if(animating_, [&](CompositeNode* c) { return c == &node; });
    if (scrollTarget_ == &node) scrollTarget_ = nullptr;
    if (focused_ == &node) focus(nullptr);
    for (HeldKey& k : heldKeys_)
        if (k.taker == &node) k.taker = nullptr;
    for (KeyScope& s : keyScopes_)
        if (s.focusBeneath == &node) s.focusBeneath = nullptr;
    leaveKeyScope(node);
    tellKeyboardWish();
}

}  // namespace pulvan::ui
