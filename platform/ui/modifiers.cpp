// The layout, rendering and lifecycle modifiers every view has.
#include "platform/ui/input.h"
#include "platform/ui/node.h"
#include "platform/ui/root.h"

#include <algorithm>
#include <cmath>

namespace pulvan::ui {

namespace {

double clampOptional(double v, std::optional<double> lo, std::optional<double> hi) {
    if (lo) v = std::max(v, *lo);
    if (hi) v = std::min(v, *hi);
    return v;
}

class PaddingNode final : public ParameterizedProxyNode<EdgeInsets> {
public:
    std::optional<double> firstBaseline(Size size) override {
        Node* c = onlyChild();
        if (!c) return std::nullopt;
        const EdgeInsets& e = parameters_;
        const Size inner = c->measure({std::max(0.0, size.width - e.leading - e.trailing), std::max(0.0, size.height - e.top - e.bottom)});
        auto b = c->firstBaseline(inner);
        return b ? std::optional(*b + e.top) : std::nullopt;
    }

protected:
    Size sizeThatFits(ProposedSize p) override {
        const EdgeInsets& e = parameters_;
        const double h = e.leading + e.trailing, v = e.top + e.bottom;
        Node* c = onlyChild();
        ProposedSize inner;
        if (p.width) inner.width = std::max(0.0, *p.width - h);
        if (p.height) inner.height = std::max(0.0, *p.height - v);
        const Size s = c ? c->measure(inner) : Size{};
        return {std::max(0.0, s.width + h), std::max(0.0, s.height + v)};
    }
    void placeChildren() override {
        const EdgeInsets& e = parameters_;
        if (Node* c = onlyChild()) {
            const Size s =
                c->measure({std::max(0.0, frame_.width - e.leading - e.trailing), std::max(0.0, frame_.height - e.top - e.bottom)});
            c->place({frame_.x + e.leading, frame_.y + e.top, s.width, s.height});
        }
    }
};

class FrameNode final : public ParameterizedProxyNode<View::FrameSpec> {
protected:
    bool flexible() const {
        const auto& f = parameters_;
        return f.minWidth || f.maxWidth || f.idealWidth || f.minHeight || f.maxHeight || f.idealHeight;
    }
    Size sizeThatFits(ProposedSize p) override {
        const auto& f = parameters_;
        Node* c = onlyChild();
        if (!flexible()) {
            const ProposedSize inner{f.width ? f.width : p.width, f.height ? f.height : p.height};
            const Size s = c ? c->measure(inner) : Size{};
            return {f.width.value_or(s.width), f.height.value_or(s.height)};
        }
        // A flexible frame: the proposal, or the ideal size, bounded; then the child's answer bounded again.
        ProposedSize inner{p.width ? p.width : f.idealWidth, p.height ? p.height : f.idealHeight};
        if (inner.width) inner.width = clampOptional(*inner.width, f.minWidth, f.maxWidth);
        if (inner.height) inner.height = clampOptional(*inner.height, f.minHeight, f.maxHeight);
        Size s = c ? c->measure(inner) : Size{};
        const auto bound = [](double result, std::optional<double> offered, std::optional<double> lo, std::optional<double> hi) {
            const double o = offered.value_or(result);
            if (lo) result = std::max(*lo, std::min(result, o));
            if (hi) result = std::min(*hi, std::max(result, o));
            return result;
        };
        s.width = bound(s.width, inner.width, f.minWidth, f.maxWidth);
        s.height = bound(s.height, inner.height, f.minHeight, f.maxHeight);
        return s;
    }
    void placeChildren() override {
        if (Node* c = onlyChild()) {
            const Size s = c->measure({frame_.width, frame_.height});
            const UnitPoint a = parameters_.alignment;
            c->place({frame_.x + (frame_.width - s.width) * a.x, frame_.y + (frame_.height - s.height) * a.y, s.width, s.height});
        }
    }

public:
    std::optional<double> firstBaseline(Size size) override {
        Node* c = onlyChild();
        if (!c) return std::nullopt;
        const Size s = c->measure({size.width, size.height});
        auto b = c->firstBaseline(s);
        return b ? std::optional(*b + (size.height - s.height) * parameters_.alignment.y) : std::nullopt;
    }
};

struct FixedSizeParameters {
    bool horizontal = true, vertical = true;
};
class FixedSizeNode final : public ParameterizedProxyNode<FixedSizeParameters> {
protected:
    Size sizeThatFits(ProposedSize p) override {
        Node* c = onlyChild();
        if (parameters_.horizontal) p.width.reset();
        if (parameters_.vertical) p.height.reset();
        return c ? c->measure(p) : Size{};
    }
    void placeChildren() override {
        if (Node* c = onlyChild()) {
            ProposedSize p{frame_.width, frame_.height};
            if (parameters_.horizontal) p.width.reset();
            if (parameters_.vertical) p.height.reset();
            const Size s = c->measure(p);
            c->place({frame_.x + (frame_.width - s.width) / 2, frame_.y + (frame_.height - s.height) / 2, s.width, s.height});
        }
    }
};

struct AspectParameters {
    std::optional<double> ratio;
    View::ContentMode mode = View::ContentMode::fit;
};
class AspectRatioNode final : public ParameterizedProxyNode<AspectParameters> {
protected:
    Size sizeThatFits(ProposedSize p) override {
        Node* c = onlyChild();
        if (!c) return {};
        double ratio = parameters_.ratio.value_or(0);
        if (!parameters_.ratio) {
            const Size ideal = c->measure({});
            ratio = ideal.height > 0 ? ideal.width / ideal.height : 1;
        }
        if (!(ratio > 0)) return c->measure(p);
        const Size offered = p.replacingUnspecified(c->measure({}));
        double w = offered.width, h = offered.height;
        const bool fit = parameters_.mode == View::ContentMode::fit;
        if ((w / h > ratio) == fit) w = h * ratio;
        else h = w / ratio;
        if (!std::isfinite(w) || !std::isfinite(h)) return c->measure(p);
        return c->measure({w, h});
    }
};

class LayoutPriorityNode final : public ParameterizedProxyNode<double> {
public:
    double layoutPriority() const override { return parameters_; }
};

struct LayeredParameters {
    UnitPoint alignment;
    bool secondaryOnTop = false;
    View secondary;
};
// Overlay and background: a second view sized to the first and drawn above or below it.
class LayeredNode final : public ProxyNode {
public:
    using Parameters = LayeredParameters;
    void apply(const LayeredParameters& p, const View& content, const BuildScope& scope) {
        alignment_ = p.alignment;
        secondaryOnTop_ = p.secondaryOnTop;
        reconcileChildren(p.secondaryOnTop ? Views{content, p.secondary} : Views{p.secondary, content}, scope);
    }
    std::optional<double> firstBaseline(Size size) override {
        Node* c = primary();
        return c ? c->firstBaseline(size) : std::nullopt;
    }
    double layoutPriority() const override {
        Node* c = primary();
        return c ? c->layoutPriority() : 0;
    }
    bool isEmptyLayout() const override {
        Node* c = primary();
        return !c || c->isEmptyLayout();
    }
    bool isSpacer() const override {
        Node* c = primary();
        return c && c->isSpacer();
    }
    const Node* modifiedChild() const override { return primary(); }

protected:
    Node* primary() const { return child(secondaryOnTop_ ? 0 : 1); }
    Node* secondary() const { return child(secondaryOnTop_ ? 1 : 0); }
    Size sizeThatFits(ProposedSize p) override {
        Node* c = primary();
        return c ? c->measure(p) : Size{};
    }
    void placeChildren() override {
        if (Node* c = primary()) {
            const Size s = c->measure({frame_.width, frame_.height});
            c->place({frame_.x, frame_.y, s.width, s.height});
        }
        if (Node* c = secondary(); c && !c->isDeparting()) {
            const Size s = c->measure({frame_.width, frame_.height});
            c->place({frame_.x + (frame_.width - s.width) * alignment_.x, frame_.y + (frame_.height - s.height) * alignment_.y, s.width,
                      s.height});
        }
    }

private:
    UnitPoint alignment_;
    bool secondaryOnTop_ = false;
};

class ZIndexNode final : public ParameterizedProxyNode<double> {
public:
    void apply(const double& z, const View& content, const BuildScope& scope) override {
        ParameterizedProxyNode::apply(z, content, scope);
        zIndex_ = z;
    }
};

struct TransformParameters {
    double dx = 0, dy = 0;
    double sx = 1, sy = 1;
    double radians = 0;
    UnitPoint anchor;
};
class TransformNode final : public ParameterizedProxyNode<TransformParameters> {
public:
    Transform childTransform() const override {
        const auto& t = parameters_;
        const Point a = t.anchor.in(frame_);
        Transform m = Transform::translation(-a.x, -a.y);
        if (t.sx != 1 || t.sy != 1) m = Transform::scale(t.sx, t.sy).after(m);
        if (t.radians != 0) m = Transform::rotation(t.radians).after(m);
        m = Transform::translation(a.x + t.dx, a.y + t.dy).after(m);
        return m;
    }
};

struct GroupParameters {
    double opacity = 1;
};
class GroupNode final : public ParameterizedProxyNode<GroupParameters> {
public:
    void draw(DisplayList& list) override {
        if (parameters_.opacity <= 0) return;
        // Fully opaque, a group would look the same as drawing straight through.
        if (parameters_.opacity >= 1) return drawChildren(list);
        list.add(draw::BeginGroup{parameters_.opacity});
        drawChildren(list);
        list.add(draw::EndGroup{});
    }
};

struct ClipParameters {
    Shape shape;  // none: the frame
};
class ClipNode final : public ParameterizedProxyNode<ClipParameters> {
public:
    void draw(DisplayList& list) override {
        list.add(draw::Save{});
        if (parameters_.shape) list.add(draw::ClipPath{parameters_.shape(frame_)});
        else list.add(draw::ClipRect{frame_});
        drawChildren(list);
        list.add(draw::Restore{});
    }
    bool hitTest(Point point, std::vector<Node*>& chain) override { return frame_.contains(point) && Node::hitTest(point, chain); }
    Rect computeDrawnBounds() const override { return frame_; }
};

struct ShadowParameters {
    Color color;
    double radius = 0;
    Point offset;
};
class ShadowNode final : public ParameterizedProxyNode<ShadowParameters> {
public:
    // Whatever casts the shadow seen in the part recorded is recorded, though it lies beyond that part.
    void draw(DisplayList& list) override {
        list.add(draw::BeginShadow{parameters_.color, parameters_.radius, parameters_.offset});
        drawChildrenCasting(list, blurReach(), parameters_.offset);
        list.add(draw::EndGroup{});
    }
    Rect computeDrawnBounds() const override {
        const Rect content = Node::computeDrawnBounds();
        return content.united(content.offsetBy(parameters_.offset.x, parameters_.offset.y).insetBy(-blurReach(), -blurReach()));
    }

private:
    // How far the blur spreads what casts it: two radii hold it at every scale.
    double blurReach() const { return 2 * parameters_.radius; }
};

class ContentShapeNode final : public ParameterizedProxyNode<Shape> {
public:
    bool acceptsHits() const override { return true; }
    bool hitTest(Point point, std::vector<Node*>& chain) override {
        if (isDeparting() || !parameters_(frame_).bounds().contains(point)) return false;
        const std::size_t mark = chain.size();
        if (Node::hitTest(point, chain)) return true;
        chain.resize(mark);
        chain.push_back(this);
        return true;
    }
};

class HitTestingNode final : public ParameterizedProxyNode<bool> {
public:
    bool hitTest(Point point, std::vector<Node*>& chain) override { return parameters_ && Node::hitTest(point, chain); }
};

class DisabledNode final : public ParameterizedProxyNode<bool> {
public:
    void apply(const bool& disabled, const View& content, const BuildScope& scope) override {
        parameters_ = disabled;
        BuildScope inner = scope;
        if (disabled) inner.environment = scope.environment.with<EnabledKey>(false);
        reconcileChild(content, inner);
    }
    bool swallowsInput() const override { return parameters_; }
};

class EnvironmentNode final : public ParameterizedProxyNode<std::function<Environment(const Environment&)>> {
public:
    void apply(const Parameters& change, const View& content, const BuildScope& scope) override {
        BuildScope inner = scope;
        inner.environment = change(scope.environment);
        reconcileChild(content, inner);
    }
};

struct LifecycleParameters {
    std::function<void()> onAppear, onDisappear;
};
class LifecycleNode final : public ParameterizedProxyNode<LifecycleParameters> {
public:
    void didMount() override {
        if (parameters_.onAppear && root()) root()->postLayoutWork(parameters_.onAppear);
    }
    void willUnmount() override {
        if (parameters_.onDisappear && root()) root()->mainQueue().async(parameters_.onDisappear);
    }
};

class ChangeNode final : public ProxyNode {
public:
    using Parameters = ChangeWatch;
    void apply(const ChangeWatch& watch, const View& content, const BuildScope& scope) {
        if (watch_.value && !watch.equal(watch_.value.get(), watch.value.get()) && root()) {
            root()->postLayoutWork([action = watch.action, value = watch.value] { action(value.get()); });
        }
        watch_ = watch;
        reconcileChild(content, scope);
    }

private:
    ChangeWatch watch_;
};

class KeyPressNode final : public ParameterizedProxyNode<std::function<bool(const KeyEvent&)>>, public KeyHandler {
public:
    bool listensForKeys() const override { return true; }
    KeyHandler* keyHandler() override { return this; }
    bool keyEvent(const KeyEvent& e) override { return parameters_ && parameters_(e); }
};

struct KeyScopeParameters {};
class KeyScopeNode final : public ParameterizedProxyNode<KeyScopeParameters> {
public:
    bool isKeyScope() const override { return true; }
};

class TestIdNode final : public ParameterizedProxyNode<std::string> {
public:
    void apply(const std::string& id, const View& content, const BuildScope& scope) override {
        ParameterizedProxyNode::apply(id, content, scope);
        setTestId(id);
    }
};

class CoordinateSpaceNode final : public ParameterizedProxyNode<std::string> {
public:
    const std::string* coordinateSpaceName() const override { return &parameters_; }
};

}  // namespace

View View::id(ViewId id) const {
    View v = *this;
    v.id_ = std::move(id);
    return v;
}
View View::transition(Transition transition) const {
    View v = *this;
    v.transition_ = transition;
    return v;
}

View View::padding(unsigned edges, double length) const {
    EdgeInsets e;
    if (edges & Edge::top) e.top = length;
    if (edges & Edge::leading) e.leading = length;
    if (edges & Edge::bottom) e.bottom = length;
    if (edges & Edge::trailing) e.trailing = length;
    return padding(e);
}
View View::padding(EdgeInsets insets) const { return modified<PaddingNode>(*this, insets); }
View View::frame(FrameSpec spec) const { return modified<FrameNode>(*this, spec); }
View View::fixedSize(bool horizontal, bool vertical) const { return modified<FixedSizeNode>(*this, {horizontal, vertical}); }
View View::aspectRatio(std::optional<double> ratio, ContentMode mode) const { return modified<AspectRatioNode>(*this, {ratio, mode}); }
View View::layoutPriority(double priority) const { return modified<LayoutPriorityNode>(*this, priority); }
View View::overlay(View content, UnitPoint alignment) const { return modified<LayeredNode>(*this, {alignment, true, std::move(content)}); }
View View::background(View content, UnitPoint alignment) const {
    return modified<LayeredNode>(*this, {alignment, false, std::move(content)});
}
View View::zIndex(double z) const { return modified<ZIndexNode>(*this, z); }
View View::offset(double x, double y) const { return modified<TransformNode>(*this, {x, y, 1, 1, 0, {}}); }
View View::scaleEffect(double scale, UnitPoint anchor) const { return scaleEffect(scale, scale, anchor); }
View View::scaleEffect(double sx, double sy, UnitPoint anchor) const { return modified<TransformNode>(*this, {0, 0, sx, sy, 0, anchor}); }
View View::rotationEffect(double radians, UnitPoint anchor) const { return modified<TransformNode>(*this, {0, 0, 1, 1, radians, anchor}); }
View View::opacity(double opacity) const { return modified<GroupNode>(*this, {opacity}); }
View View::compositingGroup() const { return modified<GroupNode>(*this, {1}); }
View View::clipped() const { return modified<ClipNode>(*this, {}); }
View View::clipShape(Shape shape) const { return modified<ClipNode>(*this, {std::move(shape)}); }
View View::shadow(Color color, double radius, double x, double y) const { return modified<ShadowNode>(*this, {color, radius, {x, y}}); }
View View::contentShape(Shape shape) const { return modified<ContentShapeNode>(*this, std::move(shape)); }
View View::allowsHitTesting(bool enabled) const { return modified<HitTestingNode>(*this, enabled); }
View View::disabled(bool disabled) const { return modified<DisabledNode>(*this, disabled); }
View View::onAppear(std::function<void()> action) const { return modified<LifecycleNode>(*this, {std::move(action), {}}); }
View View::onDisappear(std::function<void()> action) const { return modified<LifecycleNode>(*this, {{}, std::move(action)}); }
View View::onKeyPress(std::function<bool(const KeyEvent&)> action) const { return modified<KeyPressNode>(*this, std::move(action)); }
View View::keyScope() const { return modified<KeyScopeNode>(*this, {}); }
View onChangeOf(View content, ChangeWatch watch) { return modified<ChangeNode>(content, std::move(watch)); }
View View::testId(std::string id) const { return modified<TestIdNode>(*this, std::move(id)); }
View View::coordinateSpace(std::string name) const { return modified<CoordinateSpaceNode>(*this, std::move(name)); }

View withEnvironment(View content, std::function<Environment(const Environment&)> change) {
    return modified<EnvironmentNode>(content, std::move(change));
}

}  // namespace pulvan::ui
