#pragma once
// The column left of the lanes, row for row level with them: mute and solo, the lane names, the lane
// selector for the tall lane with the flash button, and the names of the pages and patterns rows.
#include "editor/model/lane_kind.h"
#include "platform/ui/view_modifiers.h"

#include <array>
#include <string>

namespace pulvan::views {

struct Sidebar : ui::ViewModifiers<Sidebar> {
    // The lanes the tall lane can show, in the selector's order.
    static constexpr std::array<model::LaneKind, 7> selectableLanes{
        model::LaneKind::notes,       model::LaneKind::octave, model::LaneKind::velocity, model::LaneKind::length,
        model::LaneKind::probability, model::LaneKind::ccA,    model::LaneKind::ccB};

    ui::View body(ui::BuildContext& context) const;
};

struct LaneLabel : ui::ViewModifiers<LaneLabel> {
    std::string text;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
