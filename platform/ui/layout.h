#pragma once
// Stacks, spacers, geometry readers and the adaptive grid.
#include "platform/ui/view.h"

#include <functional>
#include <optional>
#include <utility>

namespace pulvan::ui {

struct StackOptions {
    // vstack: leading, center or trailing; hstack: top, center, bottom or firstTextBaseline.
    unsigned alignment = Edge::center;
    std::optional<double> spacing;  // 8 when not given
};
struct ZStackOptions {
    UnitPoint alignment = unit::center;
};

namespace detail {
template <typename C>
void appendChild(Views& views, C&& child) {
    if constexpr (std::is_same_v<std::remove_cvref_t<C>, Views>) views.insert(views.end(), child.begin(), child.end());
    else views.push_back(View(std::forward<C>(child)));
}
template <typename... C>
Views collect(C&&... children) {
    Views views;
    views.reserve(sizeof...(children));
    (appendChild(views, std::forward<C>(children)), ...);
    return views;
}
}  // namespace detail

View vstackOf(StackOptions options, Views children);
View hstackOf(StackOptions options, Views children);
View zstackOf(ZStackOptions options, Views children);

template <typename... C>
View vstack(StackOptions options, C&&... children) {
    return vstackOf(options, detail::collect(std::forward<C>(children)...));
}
template <typename... C>
View hstack(StackOptions options, C&&... children) {
    return hstackOf(options, detail::collect(std::forward<C>(children)...));
}
template <typename... C>
View zstack(ZStackOptions options, C&&... children) {
    return zstackOf(options, detail::collect(std::forward<C>(children)...));
}

// Takes what is left along its stack's axis, at least minLength (8 when not given).
View spacer(std::optional<double> minLength = std::nullopt);

// A view for each element, identified by what id gives for it.
template <typename Range, typename IdOf, typename Make>
Views forEach(const Range& range, IdOf&& idOf, Make&& make) {
    Views views;
    for (const auto& element : range) views.push_back(View(make(element)).id(ViewId(idOf(element))));
    return views;
}

// A rectangle in the root's space that any view can resolve into its own space.
struct Anchor {
    Rect rootRect;
    friend bool operator==(const Anchor&, const Anchor&) = default;
};

// What a geometry reader knows while its content is built: its size and where it is.
class GeometryProxy {
public:
    GeometryProxy(Size size, const class Node* node) : size_(size), node_(node) {}
    Size size() const { return size_; }
    Rect frameInRoot() const;
    Rect frameIn(const std::string& coordinateSpace) const;
    // The anchor's rectangle in this reader's own space (origin at its top-left corner).
    Rect resolve(const Anchor& anchor) const;

private:
    Size size_;
    const class Node* node_;
};

// Takes the whole proposed size and builds its content from it (content at the top-leading corner).
View geometryReader(std::function<View(const GeometryProxy&)> content);

struct AdaptiveGridOptions {
    double minimumColumnWidth = 50;
    double columnSpacing = 8;
    double rowSpacing = 8;
    UnitPoint alignment = unit::center;  // of an item in its cell
};
// As many columns of at least the minimum width as fit; rows as tall as their tallest item.
View adaptiveGrid(AdaptiveGridOptions options, Views items);

}  // namespace pulvan::ui
