#pragma once
#include <cstdint>

namespace pulvan::engine {

enum : std::int32_t {
    kDirectionForward = 0,
    kDirectionBackward = 1,
    kDirectionPingPong = 2,
    kDirectionPingPong2 = 3,
    kDirectionRandom = 4,
    kDirectionSmartRandom = 5,
};

// Position 0..laneLength-1 of a lane at a global step for a play direction. The random
// directions are pure functions of (globalStep, laneLength, track), so the editor's playhead
// calls this same function and always agrees with what the engine plays. Unknown directions
// play forward; a length below 1 counts as 1.
std::int32_t lanePosition(std::int64_t globalStep, std::int32_t laneLength, std::int32_t direction, std::int32_t track) noexcept;

}  // namespace pulvan::engine
