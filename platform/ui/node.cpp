#include "platform/ui/node.h"

#include "platform/ui/root.h"

#include <algorithm>
#include <numeric>

namespace pulvan::ui {

namespace {
std::uint64_t layoutGeneration = 1;
// The part of the frame being recorded, in the space of the children being drawn; none: all of it.
thread_local const Damage* drawingCull = nullptr;
thread_local const Node* layoutBoundary = nullptr;

// What an absent view becomes, so that the views after it keep their positions.
class EmptyNode final : public Node {
public:
    bool isEmptyLayout() const override { return true; }

protected:
    Size sizeThatFits(ProposedSize) override { return {}; }
};

bool sameSlot(const Node& node, const View& view) {
    const void* kind = view.spec() ? view.spec()->kind() : &kindTag<EmptyNode>;
    return node.kind() == kind && node.id() == view.id() && !node.isDeparting();
}

// Children drawn lowest z first; equal z keep their order.
template <typename F>
void inZOrder(const std::vector<std::unique_ptr<Node>>& children, F&& f) {
    const bool anyZ = std::any_of(children.begin(), children.end(), [](const auto& c) { return c->zIndex() != 0; });
    if (!anyZ) {
        for (const auto& c : children) f(*c);
        return;
    }
    std::vector<Node*> order;
    order.reserve(children.size());
    for (const auto& c : children) order.push_back(c.get());
    std::stable_sort(order.begin(), order.end(), [](Node* a, Node* b) { return a->zIndex() < b->zIndex(); });
    for (Node* c : order) f(*c);
}
}  // namespace

std::uint64_t currentLayoutGeneration() { return layoutGeneration; }
void beginLayoutPass() { ++layoutGeneration; }

Node::~Node() = default;

Size Node::measure(ProposedSize proposal) {
    // An unchanged subtree answers as it did in earlier passes; a changed one only within this pass.
    for (const Measurement& m : measurements_)
        if (m.generation != 0 && (m.generation == layoutGeneration || !layoutDirty_) && m.proposal == proposal) return m.size;
    const Size size = sizeThatFits(proposal);
    // An answer to the same proposal from an earlier pass is out of date now.
    for (Measurement& m : measurements_)
        if (m.proposal == proposal) m.generation = 0;
    measurements_[nextMeasurement_] = {layoutGeneration, proposal, size};
    nextMeasurement_ = (nextMeasurement_ + 1) % measurements_.size();
    return size;
}

void Node::markLayoutDirty() {
    for (Node* n = this; n && !n->layoutDirty_; n = n->parent_) {
        n->layoutDirty_ = true;
        if (n == layoutBoundary) break;
    }
}

LayoutBoundary::LayoutBoundary(const Node& node) : outer_(std::exchange(layoutBoundary, &node)) {}
LayoutBoundary::~LayoutBoundary() { layoutBoundary = outer_; }

// A view that moves or resizes damages all it drew and all it draws: an outline reaches beyond its frame.
void Node::place(const Rect& frame) {
    if (!layoutDirty_ && frame == frame_) return;
    const Rect old = frame_, oldDrawn = drawnBounds_;
    frame_ = frame;
    placeChildren();
    layoutDirty_ = false;
    drawnBounds_ = computeDrawnBounds();
    if (old != frame && root_) {
        const Transform t = transformToRoot();
        root_->markDamaged(t.apply(old.united(oldDrawn)));
        root_->markDamaged(t.apply(drawnBounds_));
    }
}

Rect Node::computeDrawnBounds() const {
    Rect bounds = frame_;
    const Transform t = childTransform();
    for (const auto& c : children_) bounds = bounds.united(t.isIdentity() ? c->drawnBounds_ : t.apply(c->drawnBounds_));
    return bounds;
}

void Node::placeChildren() {
    forEachLaidOutChild([&](Node& child) {
        const Size size = child.measure({frame_.width, frame_.height});
        child.place({frame_.x + (frame_.width - size.width) / 2, frame_.y + (frame_.height - size.height) / 2, size.width, size.height});
    });
}

std::optional<double> Node::firstBaseline(Size) { return std::nullopt; }
double Node::layoutPriority() const { return 0; }

Transform Node::transformToRoot() const {
    Transform t;
    for (const Node* p = parent_; p; p = p->parent_) t = p->childTransform().after(t);
    return t;
}

Rect Node::frameIn(const std::string& coordinateSpace) const {
    Transform t;
    for (const Node* p = parent_; p; p = p->parent_) {
        t = p->childTransform().after(t);
        if (const std::string* name = p->coordinateSpaceName(); name && *name == coordinateSpace)
            return t.apply(frame_).offsetBy(-p->frame_.x, -p->frame_.y);
    }
    return t.apply(frame_);
}

double Node::transitionOpacity() const {
    if (!departing_ && !appearing_) return 1;
    if (!transition_ || !root_) return departing_ ? 0 : 1;
    const Animation& a = transition_->animation;
    const double elapsed = static_cast<double>(root_->animationInstant() - transitionStart_) * 1e-9;
    const double t = a.duration > 0 ? std::clamp(elapsed / a.duration, 0.0, 1.0) : 1.0;
    const double p = a.progress(t);
    return departing_ ? 1 - p : p;
}

void Node::draw(DisplayList& list) { drawChildren(list); }

void recordDrawing(Node& node, DisplayList& list) {
    const Damage* outer = std::exchange(drawingCull, nullptr);
    node.draw(list);
    drawingCull = outer;
}

void recordDrawing(Node& node, DisplayList& list, const Damage& cull) {
    const Damage* outer = std::exchange(drawingCull, &cull);
    node.draw(list);
    drawingCull = outer;
}

void Node::drawChildren(DisplayList& list) {
    if (children_.empty()) return;
    const Transform t = childTransform();
    const bool transformed = !t.isIdentity();
    if (transformed) {
        list.add(draw::Save{});
        list.add(draw::Concat{t});
    }
    const Damage* outerCull = drawingCull;
    Damage innerCull;
    if (transformed && outerCull) {
        innerCull = outerCull->transformed(t.inverted());
        drawingCull = &innerCull;
    }
    inZOrder(children_, [&](Node& child) {
        const double fade = child.transitionOpacity();
        if (fade <= 0 || (drawingCull && !drawingCull->intersects(child.drawnBounds_))) return;
        if (fade < 1) list.add(draw::BeginGroup{fade});
        child.draw(list);
        if (fade < 1) list.add(draw::EndGroup{});
    });
    drawingCull = outerCull;
    if (transformed) list.add(draw::Restore{});
}

void Node::drawChildrenCasting(DisplayList& list, double reach, Point offset) {
    if (!drawingCull) return drawChildren(list);
    Damage reached;
    for (const Rect& r : drawingCull->rects()) reached.add(r.united(r.offsetBy(-offset.x, -offset.y).insetBy(-reach, -reach)));
    const Damage* outer = std::exchange(drawingCull, &reached);
    drawChildren(list);
    drawingCull = outer;
}

bool Node::hitTest(Point point, std::vector<Node*>& chain) {
    if (departing_) return false;
    const std::size_t mark = chain.size();
    chain.push_back(this);
    const Transform t = childTransform();
    const Point inner = t.isIdentity() ? point : t.inverted().apply(point);
    // Topmost first: the reverse of the drawing order.
    std::vector<Node*> order;
    inZOrder(children_, [&](Node& c) { order.push_back(&c); });
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if ((*it)->hitTest(inner, chain)) return true;
    if (acceptsHits() && hitArea().contains(point)) return true;
    chain.resize(mark);
    return false;
}

void Node::mount(Node* parent, Root* root) {
    parent_ = parent;
    root_ = root;
    mounted_ = true;
    if (root && observesLayout()) root->observeLayout(*this);
    if (root && listensForKeys()) root->listenForKeys(*this);
    if (root && isKeyScope()) root->enterKeyScope(*this);
}

void Node::unmount() {
    for (auto& c : children_)
        if (c->mounted_) c->unmount();
    if (!mounted_) return;
    mounted_ = false;
    if (parent_) parent_->markLayoutDirty();
    willUnmount();
    if (root_) root_->nodeWillUnmount(*this);
}

void applyView(std::unique_ptr<Node>& slot, const View& view, Node* parent, const BuildScope& scope) {
    if (slot && sameSlot(*slot, view)) {
        slot->markLayoutDirty();
        if (view.spec()) view.spec()->update(*slot, scope);
        slot->transition_ = view.transition();
        return;
    }
    if (slot) slot->unmount();
    std::unique_ptr<Node> node = view.spec() ? view.spec()->makeNode() : std::make_unique<EmptyNode>();
    node->kind_ = view.spec() ? view.spec()->kind() : &kindTag<EmptyNode>;
    node->id_ = view.id();
    node->transition_ = view.transition();
    node->mount(parent, scope.root);
    if (parent) parent->markLayoutDirty();
    if (node->transition_ && scope.root && scope.root->animationsEnabled()) {
        node->appearing_ = true;
        node->transitionStart_ = scope.root->nowNanoseconds();
        scope.root->scheduleAnimationFrame(node->transitionStart_);
    }
    if (view.spec()) view.spec()->update(*node, scope);
    slot = std::move(node);
    slot->didMount();
}

void beginDeparture(std::unique_ptr<Node>& node) {
    Root* root = node->root_;
    node->unmount();
    node->departing_ = true;
    node->appearing_ = false;
    node->transitionStart_ = root->nowNanoseconds();
    root->scheduleAnimationFrame(node->transitionStart_);
}

void Node::reconcileChildren(const Views& views, const BuildScope& scope) {
    std::vector<std::unique_ptr<Node>> previous = std::move(children_);
    children_.clear();
    children_.reserve(views.size());
    // Identified views find their node anywhere among the previous children; others by their place among
    // the previous unidentified ones.
    std::size_t position = 0;
    for (const View& view : views) {
        std::unique_ptr<Node> slot;
        const bool identified = view.id().isSet();
        if (identified) {
            auto match = std::find_if(previous.begin(), previous.end(), [&](const auto& n) { return n && sameSlot(*n, view); });
            if (match != previous.end()) slot = std::move(*match);
        } else {
            // Empty places were taken by identified views.
            while (position < previous.size() &&
                   (!previous[position] || previous[position]->isDeparting() || previous[position]->id().isSet()))
                ++position;
            if (position < previous.size() && previous[position] && sameSlot(*previous[position], view))
                slot = std::move(previous[position]);
            ++position;
        }
        applyView(slot, view, this, scope);
        children_.push_back(std::move(slot));
    }
    for (auto& old : previous) {
        if (!old) continue;
        if (old->isDeparting() || (old->transition_ && scope.root && scope.root->animationsEnabled())) {
            if (!old->isDeparting()) beginDeparture(old);
            children_.push_back(std::move(old));
        } else {
            old->unmount();
        }
    }
}

// Composite nodes.

std::unique_ptr<Node> CustomViewSpec::makeNode() const { return std::make_unique<CompositeNode>(); }

void CustomViewSpec::update(Node& node, const BuildScope& scope) const { static_cast<CompositeNode&>(node).evaluate(*this, scope); }

CompositeNode::~CompositeNode() { *alive_ = false; }

void CompositeNode::evaluate(const CustomViewSpec& spec, const BuildScope& scope) {
    spec_ = spec.shared_from_this();
    scope_ = scope;
    nextSlot_ = 0;
    nextAnimated_ = 0;
    observations_.clear();
    changeTests_.clear();
    dirty_ = false;
    BuildContext context(*this, scope_);
    const View body = spec.evaluate(context);
    reconcileChild(body, scope_);
}

void CompositeNode::reevaluate() {
    if (spec_) evaluate(static_cast<const CustomViewSpec&>(*spec_), scope_);
}

void CompositeNode::markDirty() {
    if (dirty_ || !root()) return;
    dirty_ = true;
    root()->dirtyComposites_ = true;
    root()->requestUpdate();
}

void CompositeNode::willUnmount() {
    *alive_ = false;
    observations_.clear();
    changeTests_.clear();
    for (auto& slot : slots_) slot->owner = nullptr;
}

// Proxies.

Size ProxyNode::sizeThatFits(ProposedSize proposal) {
    Node* c = onlyChild();
    return c ? c->measure(proposal) : Size{};
}
std::optional<double> ProxyNode::firstBaseline(Size size) {
    Node* c = onlyChild();
    return c ? c->firstBaseline(size) : std::nullopt;
}
double ProxyNode::layoutPriority() const {
    Node* c = onlyChild();
    return c ? c->layoutPriority() : 0;
}
bool ProxyNode::isEmptyLayout() const {
    Node* c = onlyChild();
    return !c || c->isEmptyLayout();
}
bool ProxyNode::isSpacer() const {
    Node* c = onlyChild();
    return c && c->isSpacer();
}

}  // namespace pulvan::ui
