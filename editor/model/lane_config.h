#pragma once

namespace pulvan::model {

// A lane kind's value range as the lane views draw it; the table per kind lives with those views.
struct LaneConfig {
    int min = 0;
    int max = 0;
    bool bipolar = false;
    bool block = false;

    friend bool operator==(const LaneConfig&, const LaneConfig&) = default;
};

}  // namespace pulvan::model
