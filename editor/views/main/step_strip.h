#pragma once
// One page of 16 steps of a lane: equal columns, the playhead, dimmed steps past the lane's end, the
// column lines and the last-step marker; mouse input turned into step-indexed callbacks.
#include "editor/model/lane_kind.h"
#include "platform/ui/view_modifiers.h"

#include <functional>
#include <optional>

namespace pulvan::views {

struct StepStrip : ui::ViewModifiers<StepStrip> {
    static constexpr int columnCount = 16;

    std::optional<model::LaneKind> playheadKind;
    std::function<void(int column, ui::Point, ui::Size)> onDragStart;
    std::function<void(int column, ui::Point, ui::Size)> onDragChange;
    std::function<void()> onDragEnd;
    std::function<void(int column)> onDoubleTap;
    std::function<void(int column)> onTripleTap;
    std::function<bool(int column)> isInactive;
    std::function<ui::View(int column)> cell;

    ui::View body(ui::BuildContext& context) const;
};

// The x of the last-step marker in a strip w wide, snapped to the display's pixels; none when no
// column ends an active run or the strip has no width.
std::optional<double> lastStepMarkerX(const std::function<bool(int)>& isInactive, double width, double displayScale);

// Content laid on the step columns: built with the width of one column.
struct GridLane : ui::ViewModifiers<GridLane> {
    std::function<ui::View(double columnWidth)> content;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
