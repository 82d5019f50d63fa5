#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace pulvan::store {

inline constexpr const char* presetHomeFolderID = "__preset_home__";

// A folder row of the preset browser.
struct PresetDialogFolder {
    std::string id;  // presetHomeFolderID for the home folder, else the folder name
    std::string name;
    std::optional<std::string> folderName;  // none for the home folder
    bool deletable = false;

    friend bool operator==(const PresetDialogFolder&, const PresetDialogFolder&) = default;
};

// A file row of the preset browser, identified by its name.
struct PresetDialogFileEntry {
    std::string name;  // without extension
    std::optional<std::int64_t> sizeBytes;

    friend bool operator==(const PresetDialogFileEntry&, const PresetDialogFileEntry&) = default;
};

}  // namespace pulvan::store
