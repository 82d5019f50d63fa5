#include "editor/library/library_error.h"
#include "editor/library/preset_export.h"
#include "editor/library/preset_import.h"
#include "editor/library/preset_library.h"

namespace pulvan::library {
namespace {

// The first chosen location; none after a cancel, an error (`onError` is told) or an
// empty choice.
template <typename OnError>
std::optional<URL> chosenLocation(const PickerResult& result, OnError onError) {
    if (const auto* error = std::get_if<PickerError>(&result)) {
        if (!error->userCancelled) onError(error->description);
        return std::nullopt;
    }
    const auto& locations = std::get<std::vector<URL>>(result);
    if (locations.empty()) return std::nullopt;
    return locations.front();
}

}  // namespace

void PresetLibrary::importPresetsFromSelectedFolder(const PickerResult& result) {
    store_.isImportAllFolderPickerPresented.set(false);
    const auto folder = chosenLocation(result, [&](const std::string& description) {
        alert("Import presets", "Could not open the selected folder. " + description);
    });
    if (!folder) return;
    try {
        alert("Import presets", importSummaryMessage(importPresetsFromFolder(*folder)));
    } catch (const LibraryError& error) {
        alert("Import presets", std::string("Could not import presets. ") + error.what());
    }
}

void PresetLibrary::importPresetFromSelectedFile(const PickerResult& result) {
    store_.isImportOnePresetPickerPresented.set(false);
    const auto file = chosenLocation(result, [&](const std::string& description) {
        alert("Import preset", "Could not open the selected file. " + description);
    });
    if (!file) return;
    try {
        alert("Import preset", importResultMessage(importPresetFromFile(*file)));
    } catch (const LibraryError& error) {
        alert("Import preset", std::string("Could not import preset. ") + error.what());
    }
}

void PresetLibrary::exportPresetsToSelectedFolder(const PickerResult& result) {
    store_.isBackupFolderPickerPresented.set(false);
    const auto folder = chosenLocation(result, [&](const std::string& description) {
        alert("Export presets", "Could not open the selected folder. " + description);
    });
    if (!folder) return;
    try {
        alert("Export presets", exportSummaryMessage(exportPresets(*folder)), true);
    } catch (const LibraryError& error) {
        alert("Export presets", std::string("Could not export presets. ") + error.what());
    }
}

}  // namespace pulvan::library
