#include "editor/model/pattern_direction.h"

#include "editor/model/raw_value_table.h"

namespace pulvan::model {
namespace {

constexpr detail::RawValueTable<PatternDirection, 6> kRawValues{{
    {PatternDirection::forward, "forward"},
    {PatternDirection::backward, "backward"},
    {PatternDirection::pingPong, "ping_pong"},
    {PatternDirection::pingPong2, "ping_pong_2"},
    {PatternDirection::random, "random"},
    {PatternDirection::smartRandom, "smart_random"},
}};

}  // namespace

std::string_view rawValue(PatternDirection direction) { return detail::textOf(kRawValues, direction); }

std::optional<PatternDirection> patternDirectionFromRawValue(std::string_view text) { return detail::valueOf(kRawValues, text); }

}  // namespace pulvan::model
