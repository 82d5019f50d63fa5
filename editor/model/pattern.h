#pragma once
#include "editor/model/lane.h"
#include "editor/model/lane_kind.h"
#include "editor/model/pattern_direction.h"
#include "editor/model/resolution.h"

#include <map>

namespace pulvan::model {

struct Pattern {
    // After parsing every one of the ten kinds is present.
    std::map<LaneKind, Lane> lanes;
    PatternDirection direction = PatternDirection::forward;
    int resolution = kDefaultResolution;

    // The lane of a kind; a missing lane is first added with its defaults.
    Lane& lane(LaneKind kind);
    // The lane of a kind; a missing lane reads as the kind's default lane.
    const Lane& lane(LaneKind kind) const;

    friend bool operator==(const Pattern&, const Pattern&) = default;
};

// The ten default lanes, direction forward, resolution 16.
Pattern defaultPattern();

// Adds the default lane of every kind missing from the pattern; present lanes stay as they are.
void restoreMissingLanes(Pattern& pattern);

}  // namespace pulvan::model
