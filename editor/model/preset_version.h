#pragma once
#include <string_view>

namespace pulvan::model {

inline constexpr std::string_view kCurrentPresetVersion = "v11";
inline constexpr int kPresetVersionCount = 11;  // "v1" ... "v11"

// "v1" gives 0 ... "v11" gives 10; anything else (case matters) gives 11.
int knownPresetVersionIndex(std::string_view text);
// The same lookup after lower-casing the text: "V11" gives 10.
int knownPresetVersionIndexIgnoringCase(std::string_view text);
// The canonical text of a known index; empty for any other index.
std::string_view presetVersionText(int index);

}  // namespace pulvan::model
