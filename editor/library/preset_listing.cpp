#include "editor/library/preset_listing.h"

#include "editor/library/file_name_coding.h"
#include "editor/library/named_json_files.h"
#include "editor/library/preset_names.h"
#include "platform/foundation/unicode_text.h"

#include <algorithm>
#include <system_error>

namespace pulvan::library {
namespace {

bool isHidden(const URL& entry) {
    const std::string name = entry.filename().string();
    return !name.empty() && name.front() == '.';
}

template <typename Keep>
std::vector<URL> listSorted(const URL& folder, Keep keep) {
    std::vector<URL> entries;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return {};
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) return {};
        if (!isHidden(it->path()) && keep(*it)) entries.push_back(it->path());
    }
    std::sort(entries.begin(), entries.end(), [](const URL& a, const URL& b) {
        return foundation::localizedCaseInsensitiveLess(a.filename().string(), b.filename().string());
    });
    return entries;
}

void sortNames(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return foundation::localizedCaseInsensitiveLess(a, b); });
}

}  // namespace

std::vector<URL> listPresetFolders(const URL& folder) {
    // The entry itself, not a link's target, as a directory.
    return listSorted(folder, [](const std::filesystem::directory_entry& entry) {
        std::error_code error;
        return entry.is_directory(error) && !entry.is_symlink(error);
    });
}

std::vector<URL> listPresetFiles(const URL& folder) {
    // Regular files only: a folder named "x.json" is no preset, and reading a pipe or a
    // device would hang or never end. A dangling link stays, to fail when it is read.
    return listSorted(folder, [](const std::filesystem::directory_entry& entry) {
        std::error_code error;
        const auto type = entry.status(error).type();
        return hasJSONExtension(entry.path()) &&
               (type == std::filesystem::file_type::regular || type == std::filesystem::file_type::not_found);
    });
}

std::vector<URL> listJSONFiles(const URL& folder) { return listPresetFiles(folder); }

std::optional<std::int64_t> fileSize(const URL& file) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error) return std::nullopt;
    return static_cast<std::int64_t>(size);
}

std::vector<std::string> presetFolderEntries() {
    auto home = presetsDirectoryURL(false);
    if (!home) return {};
    std::vector<std::string> names;
    for (const URL& folder : listPresetFolders(*home)) names.push_back(decodedFolderName(folder));
    sortNames(names);
    return names;
}

bool presetFolderNameExists(std::string_view name) {
    const auto entries = presetFolderEntries();
    return std::any_of(entries.begin(), entries.end(), [&](const std::string& entry) { return sameName(entry, name); });
}

std::vector<std::string> presetNames(std::optional<std::string_view> folderName) {
    auto folder = presetFolderURL(folderName, false);
    if (!folder) return {};
    std::vector<std::string> names;
    for (const URL& file : listPresetFiles(*folder)) names.push_back(decodedFileName(file));
    sortNames(names);
    return names;
}

std::optional<std::string> existingPresetFileName(std::string_view name, std::optional<std::string_view> folderName) {
    auto file = existingPresetFileURL(name, folderName);
    if (!file) return std::nullopt;
    return decodedFileName(*file);
}

std::optional<URL> existingPresetFileURL(std::string_view name, std::optional<std::string_view> folderName) {
    auto folder = presetFolderURL(folderName, false);
    if (!folder) return std::nullopt;
    return jsonFileNamed(*folder, name);
}

int totalPresetCount() {
    auto home = presetsDirectoryURL(false);
    if (!home) return 0;
    auto count = listPresetFiles(*home).size();
    for (const URL& folder : listPresetFolders(*home)) count += listPresetFiles(folder).size();
    return static_cast<int>(count);
}

}  // namespace pulvan::library
