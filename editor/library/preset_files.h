#pragma once

#include "editor/library/preset_paths.h"

#include <optional>
#include <string_view>

// Changes to preset files and folders. Each answers whether it succeeded; the callers
// decide what the user is told.
namespace pulvan::library {

// Makes the user folder of the trimmed name; false when it is blank, exists already
// (ignoring case) or cannot be made.
bool createPresetFolder(std::string_view name);

// Whether a user folder of the trimmed name fits in home.
bool presetFolderNameFits(std::string_view name);

// Writes the preset of that name into the folder (none = home), made when missing.
// A file of the same name in another letter case is replaced: the new file is written
// in full first and only then the old one removed, so nothing is lost on a failure.
bool writePresetFile(std::string_view name, std::optional<std::string_view> folderName, std::string_view data);

// Whether the preset's file name fits in the folder (none = home) it is written to.
bool presetFileNameFits(std::string_view name, std::optional<std::string_view> folderName);

// Removes the preset file found by `existingPresetFileURL`; false when there is none or
// it cannot be removed.
bool deletePresetFile(std::string_view name, std::optional<std::string_view> folderName);

// True when the user folder holds nothing but hidden entries, or cannot be found or read.
bool presetFolderHoldsNothingVisible(std::string_view folderName);

// Removes a user folder that holds nothing but hidden entries; false otherwise.
bool deletePresetFolder(std::string_view folderName);

}  // namespace pulvan::library
