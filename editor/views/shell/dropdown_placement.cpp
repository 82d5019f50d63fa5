#include "editor/views/shell/dropdown_placement.h"

#include <algorithm>
#include <cmath>

namespace pulvan::views {

using M = DropdownMetrics;

namespace {

double listEstimate(std::size_t n, double available) {
    if (n == 0) return 0;
    const double rows = static_cast<double>(n);
    return std::min(M::estimatedVerticalRowHeight * rows + M::estimatedVerticalRowSpacing * std::max(rows - 1, 0.0),
                    std::min(available, M::verticalMaxHeight)) +
           6;
}

double gridEstimate(const store::DropdownRequest& r) {
    const std::size_t items = r.items.size();
    const std::size_t columns = static_cast<std::size_t>(std::max(1, r.gridColumns.value_or(static_cast<int>(items))));
    const double rows = std::ceil(static_cast<double>(items) / static_cast<double>(columns));
    if (rows == 0) return 0;
    const double cellHeight = r.gridCellSize ? r.gridCellSize->height : M::estimatedVerticalRowHeight;
    return rows * cellHeight + std::max(rows - 1, 0.0) * 2 + 6;
}

// Between the side margins; a panel wider than the room between them sits at the left margin.
double keptInside(double x, double width, double overlayWidth) {
    return std::min(std::max(M::margin, overlayWidth - M::margin - width), std::max(M::margin, x));
}

}  // namespace

double dropdownAvailableHeight(const store::DropdownRequest& r, ui::Size overlay, std::optional<ui::Rect> anchor) {
    if (!r.vertical || !anchor) return ui::infinity;
    const double avail = r.opensUpward ? anchor->minY() - M::gap - M::margin : overlay.height - (anchor->maxY() + M::gap) - M::margin;
    return std::max(avail, 3 * M::estimatedVerticalRowHeight);
}

double dropdownListWidth(const store::DropdownRequest& r, double contentWidth) {
    if (r.vertical) return 0;
    return contentWidth > 0 ? contentWidth + (r.chromeless ? 0 : 6) : 0;
}

ui::Point dropdownOrigin(const store::DropdownRequest& r, const DropdownPlacementInput& in) {
    if (!in.anchor) return {M::margin, 80};
    const ui::Rect& a = *in.anchor;
    const auto above = [&](double estimate) {
        const double h = in.panelSize.height > 0 ? in.panelSize.height : estimate;
        return std::max(M::margin, a.minY() - h - M::gap);
    };
    if (r.vertical) {
        const double w = r.width.value_or(M::defaultVerticalListWidth);
        const double x = r.verticalAlignLeading ? a.minX() : a.minX() + a.width - w;
        const double y =
            r.opensUpward ? above(listEstimate(r.items.size(), dropdownAvailableHeight(r, in.overlay, in.anchor))) : a.maxY() + M::gap;
        // A list anchored near an edge would reach past the window.
        return {keptInside(x, w, in.overlay.width), y};
    }
    const double w = in.listWidth > 0 ? in.listWidth : in.panelSize.width;
    const double x = (r.horizontalAlignTrailing ? a.maxX() - w : a.midX() - w / 2) + r.horizontalOffset;
    const double y = r.opensUpward ? above(gridEstimate(r)) : a.maxY() + M::gap;
    return {keptInside(x, w, in.overlay.width), y};
}

}  // namespace pulvan::views
