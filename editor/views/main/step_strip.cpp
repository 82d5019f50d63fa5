#include "editor/views/main/step_strip.h"

#include "editor/views/main/lane_rows.h"
#include "editor/views/main/playhead_reader.h"
#include "editor/views/shell/capture_surface.h"
#include "editor/views/shell/editor_helpers.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"

#include <algorithm>
#include <cmath>

namespace pulvan::views {

using namespace ui;

namespace {

constexpr Color quarterLineColor = makeSRGBColor(1.0 / 3, 1.0 / 3, 1.0 / 3);

// Only this layer of a column follows the playhead.
View playheadLayer(std::optional<model::LaneKind> kind, int column) {
    if (!kind) return View();
    return PlayheadReader<bool>{
        .value = [kind = *kind, column](const store::SequencerStore& s) { return s.playheadStepInPage(kind) == column; },
        // Clear where the playhead is not: the same view either way, so a tick lays nothing out again.
        .content = [](const bool& here) { return color(here ? gridBackgroundColor : Color::clear()); },
    };
}

View columnLine(int column, const std::function<bool(int)>& isInactive) {
    const bool faded = column > 0 && isInactive(column) && isInactive(column - 1);
    return views::dimmed(rectangle().fill(column % 4 == 0 ? quarterLineColor : themeBorderColor).frame({.width = 1}), faded ? 0.1 : 1.0);
}

}  // namespace

std::optional<double> lastStepMarkerX(const std::function<bool(int)>& isInactive, double width, double displayScale) {
    if (!(width > 0)) return std::nullopt;
    for (int c = 0; c < StepStrip::columnCount; ++c) {
        const bool runEnd = !isInactive(c) && (c == StepStrip::columnCount - 1 || isInactive(c + 1));
        if (!runEnd) continue;
        const double x = std::clamp(width * 0.0625 * (c + 1), 0.0, std::max(0.0, width - 1));
        return displayScale > 0 ? std::round(x * displayScale) / displayScale : x;
    }
    return std::nullopt;
}

View StepStrip::body(BuildContext& context) const {
    const auto dragging = context.storage<bool>();
    const double displayScale = context.env<DisplayScaleKey>();
    return geometryReader([strip = *this, dragging, displayScale](const GeometryProxy& proxy) {
        const Size size = proxy.size();
        const auto columnAt = [w = size.width](Point p) { return stepColumnAtX(p.x, w); };

        Views columns;
        columns.reserve(columnCount);
        for (int c = 0; c < columnCount; ++c)
            columns.push_back(
                dimmed(zstack({}, playheadLayer(strip.playheadKind, c), strip.cell(c)).frame({.maxWidth = infinity, .maxHeight = infinity}),
                       strip.isInactive(c) ? 0.1 : 1.0)
                    .overlay(columnLine(c, strip.isInactive), unit::leading));

        View marker;
        if (const auto x = lastStepMarkerX(strip.isInactive, size.width, displayScale))
            marker = rectangle().fill(stepMarkerRedColor).frame({.width = 1}).offset(*x, 0);

        const SingleTouchDragCapture capture{
            .onStart =
                [strip, dragging, columnAt, size](Point p) {
                    *dragging = true;
                    callIfSet(strip.onDragStart, columnAt(p), p, size);
                },
            .onMove =
                [strip, dragging, columnAt, size](Point p) {
                    if (!*dragging) {
                        *dragging = true;
                        callIfSet(strip.onDragStart, columnAt(p), p, size);
                    } else {
                        callIfSet(strip.onDragChange, columnAt(p), p, size);
                    }
                },
            .onEnd = [strip, dragging] { endPressIfActive(*dragging, strip.onDragEnd); },
            .onDoubleTap =
                strip.onDoubleTap ? [strip, columnAt](Point p) { strip.onDoubleTap(columnAt(p)); } : std::function<void(Point)>{},
            .onTripleTap =
                strip.onTripleTap ? [strip, columnAt](Point p) { strip.onTripleTap(columnAt(p)); } : std::function<void(Point)>{},
        };

        return hstackOf({.alignment = Edge::center, .spacing = 0}, std::move(columns))
            .background(color(controlBackgroundColor))
            .overlay(rectangle().stroke(themeBorderColor, 1))
            .overlay(marker, unit::leading)
            .contentShape(shapes::rectangle())
            .overlay(capture)
            .frame({.width = size.width, .height = size.height});
    });
}

View GridLane::body(BuildContext&) const {
    return geometryReader([content = content](const GeometryProxy& proxy) {
        return hstack({.alignment = Edge::center, .spacing = 0}, content(proxy.size().width * 0.0625))
            .frame({.maxWidth = infinity, .alignment = unit::leading});
    });
}

}  // namespace pulvan::views
