#include "editor/library/preset_files.h"

#include "editor/library/file_name_coding.h"
#include "editor/library/named_json_files.h"
#include "editor/library/preset_listing.h"
#include "platform/foundation/unicode_text.h"

#include <system_error>

namespace pulvan::library {

bool createPresetFolder(std::string_view name) {
    const std::string wanted = foundation::trimmed(name);
    if (wanted.empty() || presetFolderNameExists(wanted)) return false;
    auto home = presetsDirectoryURL(true);
    if (!home) return false;
    std::error_code error;
    const URL folder = *home / percentEncodedFileName(wanted);
    std::filesystem::create_directories(folder, error);
    return !error && std::filesystem::is_directory(folder, error);
}

bool presetFolderNameFits(std::string_view name) {
    return nameFitsIn(presetsDirectoryURL(false), percentEncodedFileName(foundation::trimmed(name)));
}

bool writePresetFile(std::string_view name, std::optional<std::string_view> folderName, std::string_view data) {
    auto folder = presetFolderURL(folderName, true);
    return folder && writeJSONFileReplacingOtherCase(*folder, name, data);
}

bool presetFileNameFits(std::string_view name, std::optional<std::string_view> folderName) {
    return nameFitsIn(presetFolderURL(folderName, false), jsonFileName(name));
}

bool deletePresetFile(std::string_view name, std::optional<std::string_view> folderName) {
    auto file = existingPresetFileURL(name, folderName);
    if (!file) return false;
    std::error_code error;
    return std::filesystem::remove(*file, error) && !error;
}

namespace {

// Whether a folder's entries are all hidden; none when it cannot be read.
std::optional<bool> holdsOnlyHiddenEntries(const URL& folder) {
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return std::nullopt;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) return std::nullopt;
        const std::string entry = it->path().filename().string();
        if (entry.empty() || entry.front() != '.') return false;
    }
    return true;
}

std::optional<URL> userFolder(std::string_view folderName) {
    if (foundation::isBlank(folderName)) return std::nullopt;  // never home
    return presetFolderURL(folderName, false);
}

}  // namespace

bool presetFolderHoldsNothingVisible(std::string_view folderName) {
    const auto folder = userFolder(folderName);
    return !folder || holdsOnlyHiddenEntries(*folder).value_or(true);
}

bool deletePresetFolder(std::string_view folderName) {
    const auto folder = userFolder(folderName);
    if (!folder || !holdsOnlyHiddenEntries(*folder).value_or(false)) return false;
    std::error_code error;
    std::filesystem::remove_all(*folder, error);
    return !error;
}

}  // namespace pulvan::library
