#pragma once

#include "editor/library/preset_paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Listings of preset folders and files, and lookups of names in them. Nothing here
// creates anything or reports errors: a folder that cannot be read lists as empty.
namespace pulvan::library {

// Direct sub-folders (hidden ones skipped), sorted by on-disk name.
std::vector<URL> listPresetFolders(const URL& folder);

// Direct files whose extension is "json" in any case (hidden ones skipped), sorted by
// on-disk name.
std::vector<URL> listPresetFiles(const URL& folder);
std::vector<URL> listJSONFiles(const URL& folder);

// Size of a file, none when it cannot be read.
std::optional<std::int64_t> fileSize(const URL& file);

// Decoded names of the user folders in home, sorted; empty when home is missing.
std::vector<std::string> presetFolderEntries();
// A user folder has the same name (`sameName`).
bool presetFolderNameExists(std::string_view name);

// Decoded preset names of a folder (none = home), sorted; empty when it is missing.
std::vector<std::string> presetNames(std::optional<std::string_view> folderName);

// The preset of that folder the name stands for (`jsonFileNamed`): its name as stored on
// disk, or its file. None for a blank name or no match.
std::optional<std::string> existingPresetFileName(std::string_view name, std::optional<std::string_view> folderName);
std::optional<URL> existingPresetFileURL(std::string_view name, std::optional<std::string_view> folderName);

// Preset files in home and in every user folder.
int totalPresetCount();

}  // namespace pulvan::library
