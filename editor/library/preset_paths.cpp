#include "editor/library/preset_paths.h"

#include "editor/library/file_name_coding.h"
#include "editor/library/preset_listing.h"
#include "editor/library/preset_names.h"
#include "platform/foundation/file_name_limit.h"
#include "platform/foundation/unicode_text.h"

#include <cstdlib>
#include <system_error>
#include <vector>

namespace pulvan::library {
namespace {

std::optional<URL> absoluteFromEnvironment(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') return std::nullopt;
    URL path(value);
    if (!path.is_absolute()) return std::nullopt;  // relative XDG paths are invalid
    return path;
}

std::optional<URL> existingOrCreated(const URL& folder, bool create) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) return folder;
    if (!create) return std::nullopt;
    std::filesystem::create_directories(folder, error);
    return folder;
}

}  // namespace

std::optional<URL> userLibraryURL() {
    if (auto data = absoluteFromEnvironment("XDG_DATA_HOME")) return data;
    if (auto home = absoluteFromEnvironment("HOME")) return *home / ".local" / "share";
    return std::nullopt;
}

std::optional<URL> presetRootURL() {
    auto library = userLibraryURL();
    if (!library) return std::nullopt;
    return *library / "Audio" / "Presets" / "Kezwerk" / "Pulvan";
}

std::optional<URL> presetsDirectoryURL(bool create) {
    auto root = presetRootURL();
    if (!root) return std::nullopt;
    return existingOrCreated(*root / "Presets", create);
}

std::optional<URL> chordProgressionsDirectoryURL(bool create) {
    auto root = presetRootURL();
    if (!root) return std::nullopt;
    return existingOrCreated(*root / "ChordProgressions", create);
}

std::optional<URL> chordProgressionFileURL(std::string_view name, bool create) {
    auto folder = chordProgressionsDirectoryURL(create);
    if (!folder) return std::nullopt;
    return jsonFileURL(*folder, name);
}

std::optional<URL> presetFolderURL(std::optional<std::string_view> folderName, bool create) {
    auto home = presetsDirectoryURL(create);
    if (!home) return std::nullopt;
    if (!folderName || foundation::isBlank(*folderName)) return home;
    const std::vector<URL> folders = listPresetFolders(*home);
    std::vector<std::string> names;
    for (const URL& folder : folders) names.push_back(decodedFolderName(folder));
    if (auto match = matchingName(names, *folderName)) return folders[*match];
    if (!create) return std::nullopt;
    return existingOrCreated(*home / percentEncodedFileName(foundation::trimmed(*folderName)), true);
}

bool nameFitsIn(const std::optional<URL>& folder, std::string_view entryName) {
    const auto at = folder ? folder : presetRootURL();
    return !at || foundation::fileNameFits(*at, entryName);
}

bool isReachable(const URL& location) {
    std::error_code error;
    return std::filesystem::exists(location, error) && !error;
}

}  // namespace pulvan::library
