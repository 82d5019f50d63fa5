#include "editor/views/main/lane_config.h"

#include <algorithm>
#include <cmath>

namespace pulvan::views {

using model::LaneKind;

LaneConfig laneConfig(LaneKind kind) {
    switch (kind) {
        case LaneKind::gate: return {0, 1, false, false};
        case LaneKind::tie: return {0, 2, false, false};
        case LaneKind::notes: return {0, 11, false, true};
        case LaneKind::fix: return {0, 1, false, true};
        case LaneKind::octave: return {-3, 3, true, false};
        case LaneKind::velocity: return {0, 127, false, false};
        case LaneKind::length: return {0, 100, false, false};
        case LaneKind::probability: return {0, 6, false, true};
        case LaneKind::ccA:
        case LaneKind::ccB: return {0, 128, false, false};
    }
    return {};
}

int laneValueAtFraction(const LaneConfig& config, double r) {
    if (config.block) return config.min + static_cast<int>(std::floor(std::clamp(r, 0.0, 0.99999) * blockCount(config)));
    return static_cast<int>(std::round(std::clamp(r, 0.0, 1.0) * (config.max - config.min) + config.min));
}

}  // namespace pulvan::views
