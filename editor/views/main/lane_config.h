#pragma once
// The value range of each lane kind, as the tall lane edits it and the bar cells draw it.
#include "editor/model/lane_config.h"
#include "editor/model/lane_kind.h"

namespace pulvan::views {

using model::LaneConfig;

LaneConfig laneConfig(model::LaneKind kind);

// The discrete rows of a block range.
inline int blockCount(const LaneConfig& config) { return config.max - config.min + 1; }

// The value at height fraction r = 1 - y / h of the lane (row min at the bottom).
int laneValueAtFraction(const LaneConfig& config, double r);

}  // namespace pulvan::views
