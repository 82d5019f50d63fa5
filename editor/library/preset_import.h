#pragma once

#include "editor/library/preset_paths.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Copying preset files from elsewhere into the library under names that do not clash.
// The files' bytes are kept as they are; parsing only decides whether they are presets.
namespace pulvan::library {

struct ImportedPreset {
    std::string name;
    bool nameAdjusted = false;
    friend bool operator==(const ImportedPreset&, const ImportedPreset&) = default;
};

struct ImportCounts {
    int imported = 0;
    int adjusted = 0;
    int skipped = 0;
    friend bool operator==(const ImportCounts&, const ImportCounts&) = default;
};

// The base when free, else "<base> (imported)", then "(imported 2)", "(imported 3)"...,
// the base cut so that the whole stays within 30 characters. Case-insensitive.
std::string uniqueImportedPresetName(std::string_view base, const std::vector<std::string>& existing);

// Imports one file into a folder (none = home) and adds its name to `existing`. None
// when the file is not a ".json" file; throws LibraryError when it cannot be read, is no
// preset, is of a newer version or cannot be written.
std::optional<ImportedPreset> importPresetFile(const URL& file, std::optional<std::string_view> folderName,
                                               std::vector<std::string>& existing);

// One chosen file into home. Throws LibraryError.
ImportedPreset importPresetFromFile(const URL& file);

// Every preset file of a folder and of its direct sub-folders (into user folders of
// the same names). When the folder holds none, an exported "Pulvan Presets" folder or a
// preset root inside it is used. Invalid files and files that cannot be written are
// skipped; a read error stops the import and is thrown as LibraryError.
ImportCounts importPresetsFromFolder(const URL& folder);

std::string importResultMessage(const ImportedPreset& result);
std::string importSummaryMessage(const ImportCounts& counts);

}  // namespace pulvan::library
