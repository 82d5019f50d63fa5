#pragma once
// The retained tree: one node per view in the tree, measured, placed, drawn and hit-tested.
#include "platform/ui/damage.h"
#include "platform/ui/display_list.h"
#include "platform/ui/events.h"
#include "platform/ui/view.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::ui {

class PointerHandler;
class ScrollHandler;
class KeyHandler;

class Node {
public:
    virtual ~Node();
    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    Node* parent() const { return parent_; }
    Root* root() const { return root_; }
    // Where layout put the node, in the space of its nearest transforming ancestor.
    const Rect& frame() const { return frame_; }

    // Layout: a parent proposes, the node answers; answers are remembered for one layout pass.
    Size measure(ProposedSize proposal);
    void place(const Rect& frame);
    // Distance from the top of a node of this size to its first text baseline, if it shows text.
    virtual std::optional<double> firstBaseline(Size size);
    virtual double layoutPriority() const;
    // Takes no space and no spacing in stacks (nothing, or a removed view fading out).
    virtual bool isEmptyLayout() const { return false; }
    // For stacks: a spacer grows along the stack's axis.
    virtual bool isSpacer() const { return false; }
    // A modifier of the view below it (not a view of its own): its gestures act with that view's.
    virtual bool isModifier() const { return false; }
    double zIndex() const { return zIndex_; }

    // What this node adds to the transform of its children (offsets, scales, scrolling).
    virtual Transform childTransform() const { return {}; }
    // From this node's space to the root's (window points before the root's scale).
    Transform transformToRoot() const;
    Rect frameInRoot() const { return transformToRoot().apply(frame_); }
    // The frame in a named coordinate space of an ancestor (the root's space when none has the name).
    Rect frameIn(const std::string& coordinateSpace) const;
    virtual const std::string* coordinateSpaceName() const { return nullptr; }

    // Drawing: the node, then its children.
    virtual void draw(DisplayList& list);
    void drawChildren(DisplayList& list);
    // As drawChildren, with the children too that draw only within `reach` of the part being recorded once moved by
    // `offset`: the shadow they cast falls into it from beyond it.
    void drawChildrenCasting(DisplayList& list, double reach, Point offset);

    // Hit testing: the chain of nodes under the point, outermost first. The point is in this node's space.
    virtual bool hitTest(Point point, std::vector<Node*>& chain);
    virtual bool acceptsHits() const { return false; }
    // Where a node that accepts hits takes them, in the space of its frame.
    virtual Rect hitArea() const { return frame_; }
    // The child a modifier is stacked on (not its overlay or background): the modifier's box is that child's
    // too. None for views of their own.
    virtual const Node* modifiedChild() const { return nullptr; }
    virtual bool swallowsInput() const { return false; }
    virtual PointerHandler* pointerHandler() { return nullptr; }
    virtual ScrollHandler* scrollHandler() { return nullptr; }
    virtual KeyHandler* keyHandler() { return nullptr; }
    virtual std::optional<CursorShape> cursor() const { return std::nullopt; }
    virtual const std::string* tooltip() const { return nullptr; }
    virtual void hoverChanged(bool) {}

    const std::string& testId() const { return testId_; }
    void setTestId(std::string id) { testId_ = std::move(id); }

    // Children, in the order their parent lays them out.
    const std::vector<std::unique_ptr<Node>>& children() const { return children_; }
    Node* child(std::size_t i) const { return i < children_.size() ? children_[i].get() : nullptr; }

    // Bookkeeping for matching descriptions.
    const void* kind() const { return kind_; }
    const ViewId& id() const { return id_; }
    bool isDeparting() const { return departing_; }
    double transitionOpacity() const;

    // Nodes that say so are called after every layout, when the whole tree has its frames.
    virtual bool observesLayout() const { return false; }
    // Nodes that say so get the keys that no focused text field took.
    virtual bool listensForKeys() const { return false; }
    // While it is in the tree, keys go only to views inside the node (the newest such node).
    virtual bool isKeyScope() const { return false; }
    virtual void didLayout() {}
    // Where the node and its children may draw, in the node's parent's child space.
    const Rect& drawnBounds() const { return drawnBounds_; }
    // Its layout must be worked out again: it changed, or something inside it did.
    void markLayoutDirty();

    // Called once when the node joins the tree and once when it leaves it.
    virtual void didMount() {}
    virtual void willUnmount() {}

protected:
    virtual Size sizeThatFits(ProposedSize proposal) = 0;
    // Places the children inside the node's frame (the default: each child gets the whole frame).
    virtual void placeChildren();
    // Where this node and its children draw, from their frames (clips and shadows change it).
    virtual Rect computeDrawnBounds() const;

    // Brings the children up to date with descriptions, matching by identity, else by position and kind.
    void reconcileChildren(const Views& views, const BuildScope& scope);
    void reconcileChild(const View& view, const BuildScope& scope) { reconcileChildren(Views{view}, scope); }
    // Children that take part in layout (not those fading out).
    template <typename F>
    void forEachLaidOutChild(F&& f) const {
        for (const auto& c : children_)
            if (!c->departing_) f(*c);
    }
    Node* onlyChild() const { return children_.empty() || children_[0]->departing_ ? nullptr : children_[0].get(); }

    Rect frame_;
    double zIndex_ = 0;

private:
    friend class Root;
    friend class ZIndexNode;
    friend void applyView(std::unique_ptr<Node>& slot, const View& view, Node* parent, const BuildScope& scope);
    friend void beginDeparture(std::unique_ptr<Node>& node);
    friend void recordDrawing(Node& node, DisplayList& list, const Damage& cull);
    friend void recordDrawing(Node& node, DisplayList& list);

    void mount(Node* parent, Root* root);
    void unmount();

    Node* parent_ = nullptr;
    Root* root_ = nullptr;
    std::vector<std::unique_ptr<Node>> children_;
    const void* kind_ = nullptr;
    ViewId id_;
    std::string testId_;
    std::optional<Transition> transition_;
    // Fading in (from insertionStart) or out (departing, from departureStart).
    bool departing_ = false;
    std::int64_t transitionStart_ = 0;
    bool appearing_ = false;
    bool mounted_ = false;
    bool layoutDirty_ = true;
    Rect drawnBounds_;

    struct Measurement {
        std::uint64_t generation = 0;
        ProposedSize proposal;
        Size size;
    };
    std::array<Measurement, 4> measurements_{};
    unsigned nextMeasurement_ = 0;
};

// A node with one child that it passes everything through to; modifiers override what they change.
class ProxyNode : public Node {
public:
    bool isModifier() const override { return true; }
    const Node* modifiedChild() const override { return isModifier() ? onlyChild() : nullptr; }
    std::optional<double> firstBaseline(Size size) override;
    double layoutPriority() const override;
    bool isEmptyLayout() const override;
    bool isSpacer() const override;

protected:
    Size sizeThatFits(ProposedSize proposal) override;
};

// A node that evaluates a custom view's body; it holds the view's state.
class CompositeNode final : public ProxyNode {
public:
    ~CompositeNode() override;
    void evaluate(const CustomViewSpec& spec, const BuildScope& scope);
    // Builds again from the newest description, with the scope it was last built in.
    void reevaluate();
    void markDirty();
    bool isDirty() const { return dirty_; }
    // False once the node is gone.
    std::shared_ptr<const bool> liveness() const { return alive_; }
    void willUnmount() override;
    bool isModifier() const override { return false; }

private:
    friend class BuildContext;
    std::shared_ptr<const ViewSpec> spec_;
    BuildScope scope_;
    std::vector<std::shared_ptr<detail::StateSlotBase>> slots_;
    std::size_t nextSlot_ = 0;
    std::vector<foundation::Connection> observations_;
    std::vector<std::function<bool()>> changeTests_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool dirty_ = false;
    struct AnimatedValue {
        double from = 0, to = 0, current = 0;
        std::int64_t start = 0;
        Animation animation;
        bool started = false;
    };
    std::vector<AnimatedValue> animated_;
    std::size_t nextAnimated_ = 0;
};

// The description of a modifier: parameters for a node of type N and the one view it wraps.
template <typename N>
class ModifierSpec final : public ViewSpec {
public:
    ModifierSpec(typename N::Parameters parameters, View content) : parameters_(std::move(parameters)), content_(std::move(content)) {}
    const void* kind() const override { return &kindTag<N>; }
    std::unique_ptr<Node> makeNode() const override { return std::make_unique<N>(); }
    void update(Node& node, const BuildScope& scope) const override { static_cast<N&>(node).apply(parameters_, content_, scope); }

private:
    typename N::Parameters parameters_;
    View content_;
};

template <typename N>
View modified(const View& content, typename N::Parameters parameters) {
    return View(std::make_shared<ModifierSpec<N>>(std::move(parameters), content));
}

// The description of any other node: parameters for a node of type N, applied with the scope.
template <typename N>
class NodeSpec final : public ViewSpec {
public:
    explicit NodeSpec(typename N::Parameters parameters) : parameters_(std::move(parameters)) {}
    const void* kind() const override { return &kindTag<N>; }
    std::unique_ptr<Node> makeNode() const override { return std::make_unique<N>(); }
    void update(Node& node, const BuildScope& scope) const override { static_cast<N&>(node).apply(parameters_, scope); }

private:
    typename N::Parameters parameters_;
};

template <typename N>
View made(typename N::Parameters parameters) {
    return View(std::make_shared<NodeSpec<N>>(std::move(parameters)));
}

// A modifier node that keeps its parameters and builds its one child in the same scope.
template <typename P>
class ParameterizedProxyNode : public ProxyNode {
public:
    using Parameters = P;
    virtual void apply(const P& parameters, const View& content, const BuildScope& scope) {
        parameters_ = parameters;
        reconcileChild(content, scope);
    }

protected:
    P parameters_{};
};

// Records the node's drawing, leaving out children that draw nowhere near cull (in the node's space).
void recordDrawing(Node& node, DisplayList& list, const Damage& cull);
void recordDrawing(Node& node, DisplayList& list);

// While it lives, layout changes inside the node mark nothing above it out of date: the root rebuilds a
// view in place and lays out its ancestors again only when the view's answers to them changed.
class LayoutBoundary {
public:
    explicit LayoutBoundary(const Node& node);
    ~LayoutBoundary();
    LayoutBoundary(const LayoutBoundary&) = delete;
    LayoutBoundary& operator=(const LayoutBoundary&) = delete;

private:
    const Node* outer_;
};

// The layout generation: measurements of an earlier pass are stale.
std::uint64_t currentLayoutGeneration();
void beginLayoutPass();

}  // namespace pulvan::ui
