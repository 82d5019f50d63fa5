#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Rules every preset, folder and chord-progression name follows.
namespace pulvan::library {

inline constexpr std::size_t kNameCharacterLimit = 30;
inline constexpr int kPresetCap = 100;
inline constexpr std::string_view kDefaultPresetName = "Default";
inline constexpr std::string_view kHomeFolderName = "Home";
inline constexpr std::string_view kHomeFolderID = "__preset_home__";

// "/" and ":" become "-", the result is trimmed, and a leading "." becomes "-"
// (only the first), so the name cannot be hidden or point elsewhere.
std::string sanitizedPresetName(std::string_view name);

// The sanitised name cut to the name limit: what a typed preset or folder name becomes.
std::string cleanedPresetName(std::string_view typed);

}  // namespace pulvan::library
