#include "platform/ui/scroll_view.h"

#include "platform/ui/input.h"
#include "platform/ui/node.h"
#include "platform/ui/root.h"

#include <algorithm>

namespace pulvan::ui {

namespace {
// A wheel's line step moves this far.
constexpr double pointsPerLine = 16;
constexpr double indicatorThickness = 3;
}  // namespace

class ScrollViewNode final : public ProxyNode, public ScrollHandler {
public:
    using Parameters = ScrollViewOptions;
    ~ScrollViewNode() override { detach(); }

    void apply(const ScrollViewOptions& options, const View& content, const BuildScope& scope) {
        if (options_.controller != options.controller) detach();
        options_ = options;
        if (options_.controller) options_.controller->node_ = this;
        reconcileChild(content, scope);
    }

    bool vertical() const { return options_.axis == ScrollAxis::vertical; }
    double offset() const {
        if (!animation_ || !root()) return offset_;
        const double t = static_cast<double>(root()->animationInstant() - animationStart_) * 1e-9 / animation_->duration;
        return animationFrom_ + (offset_ - animationFrom_) * animation_->progress(t);
    }
    double maxOffset() const {
        const Node* c = onlyChild();
        if (!c) return 0;
        return std::max(0.0, vertical() ? c->frame().height - frame_.height : c->frame().width - frame_.width);
    }

    void setOffset(double target, std::optional<Animation> animation) {
        target = std::clamp(target, 0.0, maxOffset());
        if (animation && animation->duration > 0 && root() && root()->animationsEnabled()) {
            animationFrom_ = offset();
            animation_ = animation;
            animationStart_ = root()->nowNanoseconds();
            root()->scheduleAnimationFrame(animationStart_);
        } else {
            animation_.reset();
        }
        offset_ = target;
        if (options_.controller) options_.controller->lastOffset_ = target;
        if (root()) {
            root()->markDamaged(frameInRoot());
            root()->requestLayout();
        }
    }

    Transform childTransform() const override {
        return vertical() ? Transform::translation(0, -offset()) : Transform::translation(-offset(), 0);
    }
    const std::string* coordinateSpaceName() const override {
        return options_.coordinateSpace.empty() ? nullptr : &options_.coordinateSpace;
    }
    bool acceptsHits() const override { return true; }
    // What it scrolls is a view of its own, not one its frame pads.
    const Node* modifiedChild() const override { return nullptr; }
    ScrollHandler* scrollHandler() override { return this; }

    bool scrollEvent(const ScrollEvent& e) override {
        const double delta = (vertical() ? e.deltaY : e.deltaX) * (e.hasPreciseDeltas ? 1 : pointsPerLine);
        if (delta == 0 || maxOffset() <= 0) return false;
        setOffset(offset_ + delta, std::nullopt);
        return true;
    }

    bool hitTest(Point point, std::vector<Node*>& chain) override { return frame_.contains(point) && Node::hitTest(point, chain); }

    void draw(DisplayList& list) override {
        if (animation_ && root()) {
            if (static_cast<double>(root()->animationInstant() - animationStart_) * 1e-9 >= animation_->duration) animation_.reset();
            else root()->scheduleAnimationFrame(root()->nowNanoseconds());
        }
        list.add(draw::Save{});
        list.add(draw::ClipRect{frame_});
        drawChildren(list);
        list.add(draw::Restore{});
        const Node* c = onlyChild();
        if (!options_.showsIndicators || !c || maxOffset() <= 0) return;
        const double content = vertical() ? c->frame().height : c->frame().width;
        const double visible = vertical() ? frame_.height : frame_.width;
        const double length = std::max(20.0, visible * visible / content);
        const double position = (visible - length) * (offset() / maxOffset());
        const Rect bar = vertical() ? Rect{frame_.maxX() - indicatorThickness - 2, frame_.y + position, indicatorThickness, length}
                                    : Rect{frame_.x + position, frame_.maxY() - indicatorThickness - 2, length, indicatorThickness};
        Path p;
        p.addRoundedRect(bar, indicatorThickness / 2);
        list.add(draw::Fill{p, Color{1, 1, 1, 0.3}});
    }

    bool observesLayout() const override { return true; }
    Rect computeDrawnBounds() const override { return frame_; }
    void didLayout() override {
        offset_ = std::clamp(offset_, 0.0, maxOffset());
        auto& controller = options_.controller;
        if (!controller || !controller->pending_) return;
        const auto request = *std::exchange(controller->pending_, std::nullopt);
        if (request.offset) return setOffset(*request.offset, request.animation);
        const Node* target = findChild(*this, request.testId);
        const Node* c = onlyChild();
        if (!target || !c) return;
        const Rect r = target->frameIn(coordinateSpaceKey());
        const double start = vertical() ? r.y : r.x, end = vertical() ? r.maxY() : r.maxX();
        const double visible = vertical() ? frame_.height : frame_.width;
        const bool toEnd = request.edge & (Edge::bottom | Edge::trailing);
        setOffset(offset_ + (toEnd ? end - visible : start), request.animation);
    }

protected:
    Size sizeThatFits(ProposedSize p) override {
        Node* c = onlyChild();
        if (!c) return {};
        const Size s = c->measure(vertical() ? ProposedSize{p.width, std::nullopt} : ProposedSize{std::nullopt, p.height});
        if (vertical()) return {p.width.value_or(s.width), std::min(s.height, p.height.value_or(s.height))};
        return {std::min(s.width, p.width.value_or(s.width)), p.height.value_or(s.height)};
    }
    void placeChildren() override {
        if (Node* c = onlyChild()) {
            const Size s = c->measure(vertical() ? ProposedSize{frame_.width, std::nullopt} : ProposedSize{std::nullopt, frame_.height});
            c->place({frame_.x, frame_.y, vertical() ? frame_.width : s.width, vertical() ? s.height : frame_.height});
        }
    }

private:
    // Frames relative to the scroll view's top-left, moving with the offset.
    const std::string& coordinateSpaceKey() {
        if (options_.coordinateSpace.empty()) options_.coordinateSpace = "pulvan.scroll";
        return options_.coordinateSpace;
    }
    static const Node* findChild(const Node& node, const std::string& testId) {
        for (const auto& c : node.children()) {
            if (c->testId() == testId) return c.get();
            if (const Node* found = findChild(*c, testId)) return found;
        }
        return nullptr;
    }
    void detach() {
        if (options_.controller && options_.controller->node_ == this) options_.controller->node_ = nullptr;
    }

    ScrollViewOptions options_;
    double offset_ = 0;
    std::optional<Animation> animation_;
    double animationFrom_ = 0;
    std::int64_t animationStart_ = 0;
};

void ScrollController::scrollTo(double offset, std::optional<Animation> animation) {
    pending_ = Request{offset, {}, 0, animation};
    if (node_ && node_->root()) node_->root()->requestLayout();
}

void ScrollController::scrollToChild(const std::string& testId, unsigned edge, std::optional<Animation> animation) {
    pending_ = Request{std::nullopt, testId, edge, animation};
    if (node_ && node_->root()) node_->root()->requestLayout();
}

double ScrollController::offset() const { return node_ ? node_->offset() : lastOffset_; }

View scrollView(ScrollViewOptions options, View content) { return modified<ScrollViewNode>(content, std::move(options)); }

}  // namespace pulvan::ui
