#pragma once

#include "editor/library/preset_paths.h"

#include <optional>
#include <string_view>

// JSON files of one folder addressed by their decoded names (`sameName`).
namespace pulvan::library {

// The file the name stands for: the one it is written to when that exists, else the one
// listed under exactly that name, else the first (in listing order) of the same name;
// none for a blank name or no match.
std::optional<URL> jsonFileNamed(const URL& folder, std::string_view name);

// Writes <folder>/<encoded name>.json atomically. When `jsonFileNamed` answered another
// file before (the name in another letter case, with white space at an end or escaped
// otherwise), that one file is removed once the write has succeeded: a name saved anew
// replaces its old file, a twin of a file that exists is never touched, and a failed write
// loses nothing.
bool writeJSONFileReplacingOtherCase(const URL& folder, std::string_view name, std::string_view data);

}  // namespace pulvan::library
