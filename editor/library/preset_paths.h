#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// Where presets and chord progressions live: <Library>/Audio/Presets/Kezwerk/Pulvan,
// the Library being $XDG_DATA_HOME (or ~/.local/share). Every function answers none
// when the user has no Library folder.
namespace pulvan::library {

using URL = std::filesystem::path;

std::optional<URL> userLibraryURL();
std::optional<URL> presetRootURL();

// With `create`, a missing folder is made with its parents (a failure is ignored and
// the location still returned); without, a missing folder answers none.
std::optional<URL> presetsDirectoryURL(bool create);
std::optional<URL> chordProgressionsDirectoryURL(bool create);
std::optional<URL> chordProgressionFileURL(std::string_view name, bool create);

// Home for none or a blank name; else the user folder of that name (`matchingName`), or
// with `create` a new one under the encoded trimmed name.
std::optional<URL> presetFolderURL(std::optional<std::string_view> folderName, bool create);

// Whether an entry of that name can be made in the folder, or, for one that the write is
// to make (none), in the preset root; true without a Library folder, where the write fails.
bool nameFitsIn(const std::optional<URL>& folder, std::string_view entryName);

// Something exists at the location; a failed check counts as nothing.
bool isReachable(const URL& location);

}  // namespace pulvan::library
