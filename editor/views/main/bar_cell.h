#pragma once
// One step of a value lane drawn in its column: a bar, a bipolar bar or blocks within the lane's range,
// with grid lines and, for the probability lane, the label of every row.
#include "editor/model/lane_kind.h"
#include "editor/views/main/lane_config.h"
#include "platform/ui/view_modifiers.h"

#include <optional>
#include <vector>

namespace pulvan::views {

struct BarCell : ui::ViewModifiers<BarCell> {
    int value = 0;
    LaneConfig config;
    std::optional<model::LaneKind> laneKind;
    ui::Color accent;
    double eventOpacity = 1;
    std::optional<std::vector<int>> blockValues;  // rows to light in a block lane; none or empty: value
    int gridThreshold = 12;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
