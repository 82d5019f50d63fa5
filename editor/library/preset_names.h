#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The sanitised name cut to the name limit, and trimmed again, since the cut may end it in
// white space: what a typed preset or folder name becomes.
std::string cleanedPresetName(std::string_view typed);

// Text cut to the name limit with no white space left at either end.
std::string cutName(std::string_view text);

// Two names stand for the same preset or folder when they are equal ignoring case and
// white space at both ends: on disk as much as typed, so a name made elsewhere ("Drums ")
// is found under the name the user sees and types.
bool sameName(std::string_view a, std::string_view b);

// Of names listed in one folder, the one that is exactly `wanted`, else the first that is
// the same name; none for a blank name. Exact first: of two names that differ only in case
// or white space, each still reaches its own file or folder.
std::optional<std::size_t> matchingName(const std::vector<std::string>& names, std::string_view wanted);

}  // namespace pulvan::library
