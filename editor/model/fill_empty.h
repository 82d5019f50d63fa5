#pragma once
#include <array>
#include <optional>
#include <string_view>

namespace pulvan::model {

// How a track fills NOTES steps that the notes pool cannot serve.
enum class FillEmpty { empty, circular, circularOctUp, circularOctDown };

inline constexpr std::array<FillEmpty, 4> allFillEmptyModes{FillEmpty::empty, FillEmpty::circular, FillEmpty::circularOctUp,
                                                            FillEmpty::circularOctDown};

// "empty", "circular", "circular_oct_up", "circular_oct_down".
std::string_view rawValue(FillEmpty fill);
std::optional<FillEmpty> fillEmptyFromRawValue(std::string_view text);

}  // namespace pulvan::model
