#pragma once

#include "editor/library/preset_paths.h"

#include <optional>
#include <string_view>

// JSON files of one folder addressed by their decoded names, where names that differ
// only in letter case are the same name.
namespace pulvan::library {

// The first json file of the folder (in listing order) whose decoded name equals the
// trimmed name ignoring case; none for a blank name or no match.
std::optional<URL> jsonFileNamedIgnoringCase(const URL& folder, std::string_view name);

// Writes <folder>/<encoded name>.json atomically; then a file of the same name in
// another letter case is removed, so one name never has two files and a failed write
// loses nothing.
bool writeJSONFileReplacingOtherCase(const URL& folder, std::string_view name, std::string_view data);

}  // namespace pulvan::library
