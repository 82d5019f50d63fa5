#pragma once
// The row above the tall lane: each step's value of the shown lane as text; while NOTES is shown it
// also paints the FIX steps on or off.
#include "editor/model/lane_kind.h"
#include "platform/ui/view_modifiers.h"

#include <string>
#include <vector>

namespace pulvan::views {

struct ValueRow : ui::ViewModifiers<ValueRow> {
    std::vector<std::string> semis;  // the twelve pitch names "C" ... "B"

    ui::View body(ui::BuildContext& context) const;
};

// The text of value v in a lane of that kind; fixOn picks pitch names for NOTES.
std::string laneValueLabel(model::LaneKind kind, int v, bool fixOn, const std::vector<std::string>& semis);

}  // namespace pulvan::views
