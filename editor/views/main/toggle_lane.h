#pragma once
// The on/off rows under the track row: GATE (on or off) and HOLD/LEGATO (nothing, hold or legato),
// painted with the value the first touched step decides, one undo entry per drag.
#include "editor/model/lane_kind.h"
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct ToggleLane : ui::ViewModifiers<ToggleLane> {
    model::LaneKind kind = model::LaneKind::gate;

    ui::View body(ui::BuildContext& context) const;
};

// The legato arch: a curve bulging upward over the cell.
struct HoldLegatoSymbol : ui::ViewModifiers<HoldLegatoSymbol> {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
