#include "platform/ui/layout.h"

#include "platform/ui/node.h"

#include <algorithm>
#include <numeric>

namespace pulvan::ui {

namespace {

enum class Axis : unsigned char { none, horizontal, vertical };
// The axis of the stack measuring its children now: spacers grow along it.
thread_local Axis stackAxis = Axis::none;

class AxisScope {
public:
    explicit AxisScope(Axis axis) : saved_(stackAxis) { stackAxis = axis; }
    ~AxisScope() { stackAxis = saved_; }

private:
    Axis saved_;
};

double along(Axis axis, Size s) { return axis == Axis::horizontal ? s.width : s.height; }
double across(Axis axis, Size s) { return axis == Axis::horizontal ? s.height : s.width; }
std::optional<double> along(Axis axis, ProposedSize p) { return axis == Axis::horizontal ? p.width : p.height; }
std::optional<double> across(Axis axis, ProposedSize p) { return axis == Axis::horizontal ? p.height : p.width; }
ProposedSize proposal(Axis axis, std::optional<double> main, std::optional<double> cross) {
    return axis == Axis::horizontal ? ProposedSize{main, cross} : ProposedSize{cross, main};
}

struct StackParameters {
    Axis axis = Axis::vertical;
    StackOptions options;
    Views children;
};

class StackNode final : public Node {
public:
    using Parameters = StackParameters;
    void apply(const StackParameters& p, const BuildScope& scope) {
        axis_ = p.axis;
        options_ = p.options;
        reconcileChildren(p.children, scope);
    }

    std::optional<double> firstBaseline(Size size) override {
        const Allocation a = allocate({size.width, size.height});
        const bool byBaseline = axis_ == Axis::horizontal && (options_.alignment & Edge::firstTextBaseline);
        double maxAscent = 0;
        if (byBaseline)
            for (std::size_t i = 0; i < a.nodes.size(); ++i) maxAscent = std::max(maxAscent, ascent(*a.nodes[i], a.sizes[i]));
        for (std::size_t i = 0; i < a.nodes.size(); ++i) {
            if (a.nodes[i]->isEmptyLayout()) continue;
            if (byBaseline) return maxAscent;
            auto b = a.nodes[i]->firstBaseline(a.sizes[i]);
            if (!b) return std::nullopt;
            if (axis_ == Axis::vertical) return *b;
            const double h = a.sizes[i].height;
            const double y = options_.alignment & Edge::bottom ? size.height - h
                             : options_.alignment & Edge::top  ? 0
                                                               : (size.height - h) / 2;
            return y + *b;
        }
        return std::nullopt;
    }

protected:
    Size sizeThatFits(ProposedSize p) override {
        const Allocation a = allocate(p);
        double main = a.spacing, cross = 0;
        for (const Size& s : a.sizes) main += along(axis_, s), cross = std::max(cross, across(axis_, s));
        if (axis_ == Axis::horizontal && (options_.alignment & Edge::firstTextBaseline)) cross = baselineExtent(a);
        return axis_ == Axis::horizontal ? Size{main, cross} : Size{cross, main};
    }

    void placeChildren() override {
        const Allocation a = allocate({frame_.width, frame_.height});
        const bool byBaseline = axis_ == Axis::horizontal && (options_.alignment & Edge::firstTextBaseline);
        double maxAscent = 0;
        if (byBaseline)
            for (std::size_t i = 0; i < a.nodes.size(); ++i) maxAscent = std::max(maxAscent, ascent(*a.nodes[i], a.sizes[i]));
        double position = axis_ == Axis::horizontal ? frame_.x : frame_.y;
        bool first = true;
        for (std::size_t i = 0; i < a.nodes.size(); ++i) {
            Node& child = *a.nodes[i];
            const Size s = a.sizes[i];
            if (!child.isEmptyLayout()) {
                if (!first) position += spacing();
                first = false;
            }
            if (axis_ == Axis::horizontal) {
                double y = frame_.y;
                if (byBaseline) y += maxAscent - ascent(child, s);
                else if (options_.alignment & Edge::bottom) y += frame_.height - s.height;
                else if (!(options_.alignment & Edge::top)) y += (frame_.height - s.height) / 2;
                child.place({position, y, s.width, s.height});
            } else {
                double x = frame_.x;
                if (options_.alignment & Edge::trailing) x += frame_.width - s.width;
                else if (!(options_.alignment & Edge::leading)) x += (frame_.width - s.width) / 2;
                child.place({x, position, s.width, s.height});
            }
            position += along(axis_, s);
        }
        for (const auto& c : children())
            if (c->isDeparting()) c->place(c->frame());
    }

private:
    struct Allocation {
        std::vector<Node*> nodes;
        std::vector<Size> sizes;
        double spacing = 0;
    };

    double spacing() const { return options_.spacing.value_or(8); }

    static double ascent(Node& n, Size s) { return n.firstBaseline(s).value_or(s.height); }
    double baselineExtent(const Allocation& a) const {
        double up = 0, down = 0;
        for (std::size_t i = 0; i < a.nodes.size(); ++i) {
            const double asc = ascent(*a.nodes[i], a.sizes[i]);
            up = std::max(up, asc);
            down = std::max(down, a.sizes[i].height - asc);
        }
        return up + down;
    }

    // The stack's rule: the least flexible child is offered its share first, higher layout priority before lower.
    Allocation allocate(ProposedSize p) {
        AxisScope scope(axis_);
        Allocation a;
        forEachLaidOutChild([&](Node& c) { a.nodes.push_back(&c); });
        a.sizes.assign(a.nodes.size(), Size{});
        const auto visible = std::count_if(a.nodes.begin(), a.nodes.end(), [](Node* n) { return !n->isEmptyLayout(); });
        a.spacing = visible > 1 ? spacing() * static_cast<double>(visible - 1) : 0;
        const std::optional<double> cross = across(axis_, p);
        const std::optional<double> main = along(axis_, p);
        if (!main) {
            for (std::size_t i = 0; i < a.nodes.size(); ++i) a.sizes[i] = a.nodes[i]->measure(proposal(axis_, std::nullopt, cross));
            return a;
        }
        std::vector<double> minimum(a.nodes.size()), flexibility(a.nodes.size());
        for (std::size_t i = 0; i < a.nodes.size(); ++i) {
            minimum[i] = along(axis_, a.nodes[i]->measure(proposal(axis_, 0.0, cross)));
            flexibility[i] = along(axis_, a.nodes[i]->measure(proposal(axis_, infinity, cross))) - minimum[i];
        }
        std::vector<std::size_t> order(a.nodes.size());
        std::iota(order.begin(), order.end(), 0);
        // Spacers come after every other child: they take what the others leave, not a share of it.
        const auto priority = [&](std::size_t i) { return a.nodes[i]->isSpacer() ? -infinity : a.nodes[i]->layoutPriority(); };
        std::stable_sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) {
            if (priority(l) != priority(r)) return priority(l) > priority(r);
            return flexibility[l] < flexibility[r];
        });
        double remaining = std::max(0.0, *main - a.spacing);
        // Lower priorities keep at least their minimum.
        for (std::size_t k = 0; k < order.size();) {
            const double group = priority(order[k]);
            std::size_t end = k;
            while (end < order.size() && priority(order[end]) == group) ++end;
            double reserved = 0;
            for (std::size_t j = end; j < order.size(); ++j) reserved += minimum[order[j]];
            double available = std::max(0.0, remaining - reserved);
            std::size_t left = end - k;
            for (std::size_t j = k; j < end; ++j, --left) {
                const std::size_t i = order[j];
                a.sizes[i] = a.nodes[i]->measure(proposal(axis_, std::max(0.0, available / static_cast<double>(left)), cross));
                available -= along(axis_, a.sizes[i]);
                remaining -= along(axis_, a.sizes[i]);
            }
            k = end;
        }
        return a;
    }

    Axis axis_ = Axis::vertical;
    StackOptions options_;
};

class SpacerNode final : public Node {
public:
    using Parameters = std::optional<double>;
    void apply(std::optional<double> minLength, const BuildScope&) { minLength_ = minLength.value_or(8); }
    bool isSpacer() const override { return true; }

protected:
    Size sizeThatFits(ProposedSize p) override {
        const auto grow = [&](std::optional<double> offered) { return std::max(minLength_, offered.value_or(minLength_)); };
        switch (stackAxis) {
            case Axis::horizontal: return {grow(p.width), 0};
            case Axis::vertical: return {0, grow(p.height)};
            case Axis::none: break;
        }
        return {grow(p.width), grow(p.height)};
    }

private:
    double minLength_ = 8;
};

struct ZStackParameters {
    ZStackOptions options;
    Views children;
};
class ZStackNode final : public Node {
public:
    using Parameters = ZStackParameters;
    void apply(const ZStackParameters& p, const BuildScope& scope) {
        options_ = p.options;
        reconcileChildren(p.children, scope);
    }
    std::optional<double> firstBaseline(Size size) override {
        Node* c = onlyChild();
        return c ? c->firstBaseline(size) : std::nullopt;
    }

protected:
    Size sizeThatFits(ProposedSize p) override {
        Size result;
        forEachLaidOutChild([&](Node& c) {
            const Size s = c.measure(p);
            result.width = std::max(result.width, s.width);
            result.height = std::max(result.height, s.height);
        });
        return result;
    }
    void placeChildren() override {
        forEachLaidOutChild([&](Node& c) {
            const Size s = c.measure({frame_.width, frame_.height});
            c.place({frame_.x + (frame_.width - s.width) * options_.alignment.x,
                     frame_.y + (frame_.height - s.height) * options_.alignment.y, s.width, s.height});
        });
    }

private:
    ZStackOptions options_;
};

class GeometryReaderNode final : public Node {
public:
    using Parameters = std::function<View(const GeometryProxy&)>;
    void apply(const Parameters& content, const BuildScope& scope) {
        content_ = content;
        scope_ = scope;
        // Built at once for the size it had, so the tree is complete between layouts; again when placed.
        reconcileChild(content_(GeometryProxy(frame_.size(), this)), scope_);
    }

protected:
    Size sizeThatFits(ProposedSize p) override { return p.replacingUnspecified({10, 10}); }
    void placeChildren() override {
        reconcileChild(content_(GeometryProxy(frame_.size(), this)), scope_);
        forEachLaidOutChild([&](Node& c) {
            const Size s = c.measure({frame_.width, frame_.height});
            c.place({frame_.x, frame_.y, s.width, s.height});
        });
    }

private:
    std::function<View(const GeometryProxy&)> content_;
    BuildScope scope_;
};

struct AdaptiveGridParameters {
    AdaptiveGridOptions options;
    Views items;
};
class AdaptiveGridNode final : public Node {
public:
    using Parameters = AdaptiveGridParameters;
    void apply(const AdaptiveGridParameters& p, const BuildScope& scope) {
        options_ = p.options;
        reconcileChildren(p.items, scope);
    }

protected:
    Size sizeThatFits(ProposedSize p) override {
        const double width = p.width.value_or(options_.minimumColumnWidth);
        return {width, rows(width, nullptr)};
    }
    void placeChildren() override { rows(frame_.width, &frame_); }

private:
    int columnCount(double width) const {
        const double unit = std::max(1.0, options_.minimumColumnWidth + options_.columnSpacing);
        return std::max(1, static_cast<int>((width + options_.columnSpacing) / unit));
    }
    // Lays out the rows for a width; places the items when given the frame. Returns the height.
    double rows(double width, const Rect* frame) {
        std::vector<Node*> items;
        forEachLaidOutChild([&](Node& c) { items.push_back(&c); });
        const int columns = columnCount(width);
        const double cellWidth = std::max(0.0, (width - options_.columnSpacing * (columns - 1)) / columns);
        double y = 0;
        for (std::size_t start = 0; start < items.size(); start += static_cast<std::size_t>(columns)) {
            const std::size_t end = std::min(items.size(), start + static_cast<std::size_t>(columns));
            double rowHeight = 0;
            for (std::size_t i = start; i < end; ++i) rowHeight = std::max(rowHeight, items[i]->measure({cellWidth, std::nullopt}).height);
            if (frame) {
                for (std::size_t i = start; i < end; ++i) {
                    const Size s = items[i]->measure({cellWidth, std::nullopt});
                    const double x = frame->x + static_cast<double>(i - start) * (cellWidth + options_.columnSpacing);
                    items[i]->place({x + (cellWidth - s.width) * options_.alignment.x,
                                     frame->y + y + (rowHeight - s.height) * options_.alignment.y, s.width, s.height});
                }
            }
            y += rowHeight + (end < items.size() ? options_.rowSpacing : 0);
        }
        return y;
    }
    AdaptiveGridOptions options_;
};

}  // namespace

View vstackOf(StackOptions options, Views children) { return made<StackNode>({Axis::vertical, options, std::move(children)}); }
View hstackOf(StackOptions options, Views children) { return made<StackNode>({Axis::horizontal, options, std::move(children)}); }
View zstackOf(ZStackOptions options, Views children) { return made<ZStackNode>({options, std::move(children)}); }
View spacer(std::optional<double> minLength) { return made<SpacerNode>(minLength); }
View geometryReader(std::function<View(const GeometryProxy&)> content) { return made<GeometryReaderNode>(std::move(content)); }
View adaptiveGrid(AdaptiveGridOptions options, Views items) { return made<AdaptiveGridNode>({options, std::move(items)}); }

Rect GeometryProxy::frameInRoot() const { return node_->frameInRoot(); }
Rect GeometryProxy::frameIn(const std::string& coordinateSpace) const { return node_->frameIn(coordinateSpace); }
Rect GeometryProxy::resolve(const Anchor& anchor) const {
    const Rect local = node_->transformToRoot().inverted().apply(anchor.rootRect);
    return local.offsetBy(-node_->frame().x, -node_->frame().y);
}

}  // namespace pulvan::ui
