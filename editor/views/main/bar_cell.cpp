#include "editor/views/main/bar_cell.h"

#include "editor/views/shell/editor_helpers.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;

namespace {

// The rows a block lane lights: within the range, each once, ascending.
std::vector<int> litBlockRows(int value, const std::optional<std::vector<int>>& blockValues, const LaneConfig& config) {
    std::vector<int> rows = blockValues && !blockValues->empty() ? *blockValues : std::vector<int>{value};
    for (int& v : rows) v = std::clamp(v, config.min, config.max);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

constexpr Color centreLineColor = makeSRGBColor(1.0 / 3, 1.0 / 3, 1.0 / 3);

void addBar(DisplayList& list, const Rect& frame, Point centre, double width, double height, Color accent) {
    if (!(height > 0) || !(width > 0)) return;
    const Rect r{frame.x + centre.x - width / 2, frame.y + centre.y - height / 2, width, height};
    const Path path = shapes::continuousRoundedRectangle(2)(r);
    list.add(draw::Fill{path, accent});
    list.add(draw::Stroke{path, accent.opacity(0.5), StrokeStyle{1}});
}

View gridAndCentreLines(const BarCell& cell) {
    return canvas([config = cell.config, threshold = cell.gridThreshold](DisplayList& list, const Rect& f) {
        const int count = blockCount(config);
        const int n = config.block ? count : std::max(config.max - config.min, 1);
        if (threshold >= count && n >= 2) {
            Path lines;
            for (int k = 1; k < n; ++k) {
                const double y = f.y + k * f.height / n;
                lines.moveTo({f.x, y}).lineTo({f.maxX(), y});
            }
            list.add(draw::Stroke{lines, themeBorderColor.opacity(0.7), StrokeStyle{1}});
        }
        if (config.bipolar) list.add(draw::Fill{Path{}.addRect({f.x, f.y + f.height / 2 - 0.5, f.width, 1}), centreLineColor});
    });
}

View probabilityRowLabels() {
    Views rows;
    for (int v = 6; v >= 0; --v) rows.push_back(text(cycleFractionLabel(v)).frame({.maxWidth = infinity, .maxHeight = infinity}));
    return vstackOf({.alignment = Edge::center, .spacing = 0}, std::move(rows))
        .font(Font::monospaced(9).withMonospacedDigits())
        .foregroundColor(secondaryTextColor.opacity(0.2));
}

// The event opacity goes into the colours rather than an opacity group: a lane draws many cells.
View valueLayer(const BarCell& cell) {
    return canvas([cell](DisplayList& list, const Rect& f) {
        const LaneConfig& c = cell.config;
        const Color accent = cell.accent.opacity(cell.eventOpacity);
        const double w = f.width, h = f.height;
        if (c.block) {
            const double r = h / blockCount(c);
            for (int v : litBlockRows(cell.value, cell.blockValues, c))
                addBar(list, f, {w / 2, h - r * ((v - c.min) + 0.5)}, w, std::max(0.0, r - 4), accent);
        } else if (c.bipolar) {
            const double half = h / 2;
            if (cell.value >= 0) {
                const double height = std::max(0.0, half * cell.value / c.max);
                addBar(list, f, {w / 2, half - height / 2}, w, height, accent);
            } else {
                const double height = std::max(0.0, half * cell.value / c.min);
                addBar(list, f, {w / 2, half + height / 2}, w, height, accent);
            }
        } else {
            const double height = std::max(0.0, h * (cell.value - c.min) / (c.max - c.min));
            addBar(list, f, {w / 2, h - height / 2}, w, height, accent);
        }
    });
}

}  // namespace

View BarCell::body(BuildContext&) const {
    const bool labelled = laneKind == model::LaneKind::probability && config.block && config.min == 0 && config.max == 6;
    return zstack({}, gridAndCentreLines(*this), labelled ? probabilityRowLabels() : View(), valueLayer(*this)).padding(2);
}

}  // namespace pulvan::views
