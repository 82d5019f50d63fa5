#include "editor/library/preset_import.h"

#include "editor/library/file_name_coding.h"
#include "editor/library/library_error.h"
#include "editor/library/preset_files.h"
#include "editor/library/preset_listing.h"
#include "editor/library/preset_names.h"
#include "editor/model/preset_parser.h"
#include "platform/foundation/atomic_file.h"
#include "platform/foundation/unicode_text.h"

#include <algorithm>

namespace pulvan::library {
namespace {

constexpr std::string_view kNotAPreset = "Selected file is not a valid preset JSON.";
constexpr std::string_view kNewerVersion = "This preset was created with a newer version of Pulvan. Update the app to import it.";
constexpr std::string_view kNotWritten = "The preset could not be written to the preset library.";
constexpr std::string_view kBlankNameStandIn = "Imported preset";

bool isFree(std::string_view name, const std::vector<std::string>& existing) {
    return std::none_of(existing.begin(), existing.end(), [&](const std::string& other) { return sameName(other, name); });
}

std::string trimmedOfSpacesAndTabs(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

std::string withSuffix(std::string_view base, const std::string& suffix) {
    const std::size_t room = kNameCharacterLimit > suffix.size() ? kNameCharacterLimit - suffix.size() : 0;
    return trimmedOfSpacesAndTabs(foundation::firstCharacters(base, room)) + suffix;
}

std::string importedBaseName(const URL& file) {
    const std::string name = foundation::trimmed(decodedFileName(file));
    return name.empty() ? std::string(kBlankNameStandIn) : cutName(name);
}

std::string readOrThrow(const URL& file) {
    auto read = foundation::readWholeFile(file);
    if (!read.bytes) throw LibraryError::fromSystem(read.error);
    return std::move(*read.bytes);
}

// Names and writes a parsed preset; none when it could not be written.
std::optional<ImportedPreset> storeImported(const URL& file, std::string_view bytes, std::optional<std::string_view> folderName,
                                            std::vector<std::string>& existing) {
    const std::string base = importedBaseName(file);
    std::string name = uniqueImportedPresetName(base, existing);
    if (!writePresetFile(name, folderName, bytes)) return std::nullopt;
    existing.push_back(name);
    const bool adjusted = !foundation::equalIgnoringCase(name, base);
    return ImportedPreset{std::move(name), adjusted};
}

bool holdsPresets(const URL& folder) {
    if (!listJSONFiles(folder).empty()) return true;
    const auto subFolders = listPresetFolders(folder);
    return std::any_of(subFolders.begin(), subFolders.end(), [](const URL& sub) { return !listJSONFiles(sub).empty(); });
}

// The chosen folder, unless it holds no preset file itself and an exported folder or
// a preset root inside it does: an export's own folders must not become one folder
// named "Pulvan Presets" with everything deeper left out.
URL importRoot(const URL& chosen) {
    if (!listJSONFiles(chosen).empty()) return chosen;
    for (const URL& candidate : {chosen / "Pulvan Presets", chosen / "Kezwerk" / "Pulvan", chosen / "Kez" / "Pulvan"}) {
        if (isReachable(candidate) && holdsPresets(candidate)) return candidate;
    }
    return chosen;
}

void importFilesOf(const URL& folder, std::optional<std::string_view> folderName, ImportCounts& counts) {
    std::vector<std::string> existing = presetNames(folderName);
    for (const URL& file : listJSONFiles(folder)) {
        const std::string bytes = readOrThrow(file);
        if (model::PresetParser::load(bytes).outcome.kind != model::PresetLoadOutcome::Kind::success) {
            ++counts.skipped;
            continue;
        }
        const auto stored = storeImported(file, bytes, folderName, existing);
        if (!stored) {
            ++counts.skipped;
            continue;
        }
        ++counts.imported;
        if (stored->nameAdjusted) ++counts.adjusted;
    }
}

// The user folder a sub-folder imports into, made when missing; none when it cannot be.
std::optional<std::string> importFolderName(const URL& subFolder) {
    const std::string name = cleanedPresetName(decodedFolderName(subFolder));
    if (name.empty()) return std::nullopt;
    const std::vector<std::string> entries = presetFolderEntries();
    if (auto match = matchingName(entries, name)) return entries[*match];
    if (!createPresetFolder(name)) return std::nullopt;
    return name;
}

std::string counted(int count, std::string_view singular, std::string_view plural) {
    return std::to_string(count) + " " + std::string(count == 1 ? singular : plural);
}

}  // namespace

std::string uniqueImportedPresetName(std::string_view base, const std::vector<std::string>& existing) {
    if (isFree(base, existing)) return std::string(base);
    std::string candidate = withSuffix(base, " (imported)");
    for (int n = 2; !isFree(candidate, existing); ++n) {
        candidate = withSuffix(base, " (imported " + std::to_string(n) + ")");
    }
    return candidate;
}

std::optional<ImportedPreset> importPresetFile(const URL& file, std::optional<std::string_view> folderName,
                                               std::vector<std::string>& existing) {
    if (!hasJSONExtension(file)) return std::nullopt;
    const std::string bytes = readOrThrow(file);
    switch (model::PresetParser::load(bytes).outcome.kind) {
        case model::PresetLoadOutcome::Kind::success: break;
        case model::PresetLoadOutcome::Kind::unsupportedVersion: throw LibraryError(std::string(kNewerVersion));
        case model::PresetLoadOutcome::Kind::corruptData: throw LibraryError(std::string(kNotAPreset));
    }
    auto stored = storeImported(file, bytes, folderName, existing);
    if (!stored) throw LibraryError(std::string(kNotWritten));
    return stored;
}

ImportedPreset importPresetFromFile(const URL& file) {
    if (!isReachable(file)) throw LibraryError("Selected file no longer exists.");
    std::vector<std::string> existing = presetNames(std::nullopt);
    auto imported = importPresetFile(file, std::nullopt, existing);
    if (!imported) throw LibraryError(std::string(kNotAPreset));
    return *imported;
}

ImportCounts importPresetsFromFolder(const URL& folder) {
    if (!isReachable(folder)) throw LibraryError::folderGone();
    const URL root = importRoot(folder);
    ImportCounts counts;
    importFilesOf(root, std::nullopt, counts);
    for (const URL& subFolder : listPresetFolders(root)) {
        const auto files = listJSONFiles(subFolder);
        if (files.empty()) continue;
        const auto target = importFolderName(subFolder);
        if (!target) {
            counts.skipped += static_cast<int>(files.size());
            continue;
        }
        importFilesOf(subFolder, *target, counts);
    }
    return counts;
}

std::string importResultMessage(const ImportedPreset& result) {
    if (result.nameAdjusted) return "Preset imported as \"" + result.name + "\" (name already existed).";
    return "Preset \"" + result.name + "\" imported.";
}

std::string importSummaryMessage(const ImportCounts& counts) {
    if (counts.imported == 0 && counts.skipped == 0) return "No preset JSON files found.";
    std::string message = "Imported " + counted(counts.imported, "preset", "presets") + ".";
    if (counts.adjusted >= 1) message += "\nRenamed " + counted(counts.adjusted, "name", "names") + " to avoid duplicates.";
    if (counts.skipped >= 1)
        message += "\nSkipped " + std::to_string(counts.skipped) + " invalid " + (counts.skipped == 1 ? "file" : "files") + ".";
    return message;
}

}  // namespace pulvan::library
