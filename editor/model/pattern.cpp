#include "editor/model/pattern.h"

#include <array>
#include <cstddef>

namespace pulvan::model {
namespace {

const Lane& sharedDefaultLane(LaneKind kind) {
    static const std::array<Lane, allLaneKinds.size()> lanes = [] {
        std::array<Lane, allLaneKinds.size()> built;
        for (std::size_t i = 0; i < allLaneKinds.size(); ++i) built[i] = defaultLane(allLaneKinds[i]);
        return built;
    }();
    return lanes[static_cast<std::size_t>(kind)];
}

}  // namespace

Lane& Pattern::lane(LaneKind kind) {
    auto found = lanes.find(kind);
    if (found == lanes.end()) found = lanes.emplace(kind, defaultLane(kind)).first;
    return found->second;
}

const Lane& Pattern::lane(LaneKind kind) const {
    const auto found = lanes.find(kind);
    return found == lanes.end() ? sharedDefaultLane(kind) : found->second;
}

Pattern defaultPattern() {
    Pattern pattern;
    restoreMissingLanes(pattern);
    return pattern;
}

void restoreMissingLanes(Pattern& pattern) {
    for (const LaneKind kind : allLaneKinds) {
        if (!pattern.lanes.contains(kind)) pattern.lanes.emplace(kind, defaultLane(kind));
    }
}

}  // namespace pulvan::model
