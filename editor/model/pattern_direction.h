#pragma once
#include <array>
#include <optional>
#include <string_view>

namespace pulvan::model {

enum class PatternDirection { forward, backward, pingPong, pingPong2, random, smartRandom };

inline constexpr std::array<PatternDirection, 6> allPatternDirections{PatternDirection::forward,  PatternDirection::backward,
                                                                      PatternDirection::pingPong, PatternDirection::pingPong2,
                                                                      PatternDirection::random,   PatternDirection::smartRandom};

// "forward", "backward", "ping_pong", "ping_pong_2", "random", "smart_random".
std::string_view rawValue(PatternDirection direction);
std::optional<PatternDirection> patternDirectionFromRawValue(std::string_view text);

}  // namespace pulvan::model
