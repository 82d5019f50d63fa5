#include "editor/store/sequencer_store.h"
#include "engine/lane_position.h"

#include <algorithm>

namespace pulvan::store {

namespace {

std::int32_t engineDirection(model::PatternDirection direction) {
    switch (direction) {
        case model::PatternDirection::forward: return engine::kDirectionForward;
        case model::PatternDirection::backward: return engine::kDirectionBackward;
        case model::PatternDirection::pingPong: return engine::kDirectionPingPong;
        case model::PatternDirection::pingPong2: return engine::kDirectionPingPong2;
        case model::PatternDirection::random: return engine::kDirectionRandom;
        case model::PatternDirection::smartRandom: return engine::kDirectionSmartRandom;
    }
    return engine::kDirectionForward;
}

}  // namespace

// The engine's own lane position, so the playhead shows exactly the step it plays.
int SequencerStore::stepIndexInPattern(std::int64_t globalStep, int length) const {
    return engine::lanePosition(globalStep, std::max(length, 1), engineDirection(activePatternDirection()), activeTrackIndex.get());
}

}  // namespace pulvan::store
