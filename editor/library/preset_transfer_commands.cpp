#include "editor/library/library_dialogs.h"
#include "editor/library/library_error.h"
#include "editor/library/preset_export.h"
#include "editor/library/preset_import.h"
#include "editor/library/preset_library.h"

namespace pulvan::library {
namespace {

struct TransferTexts {
    const char* title;
    const char* openFailure;       // the picker failed
    const char* operationFailure;  // the import or export failed
};

struct Outcome {
    std::string message;
    bool prefersGlobalAccent = false;
};

// Clears the picker flag, then runs the operation on the first chosen location and
// shows its outcome; a cancel or an empty choice shows nothing.
template <typename Operation>
void runOnChosenLocation(store::SequencerStore& store, foundation::Observable<bool>& pickerFlag, const PickerResult& result,
                         const TransferTexts& texts, Operation operation) {
    pickerFlag.set(false);
    const auto show = [&](const std::string& message, bool accent = false) {
        store.dialog.set(alertRequest(texts.title, message, accent));
    };
    if (const auto* error = std::get_if<PickerError>(&result)) {
        if (!error->userCancelled) show(texts.openFailure + error->description);
        return;
    }
    const auto& locations = std::get<std::vector<URL>>(result);
    if (locations.empty()) return;
    try {
        const Outcome outcome = operation(locations.front());
        show(outcome.message, outcome.prefersGlobalAccent);
    } catch (const LibraryError& error) {
        show(texts.operationFailure + std::string(error.what()));
    }
}

}  // namespace

void PresetLibrary::importPresetsFromSelectedFolder(const PickerResult& result) {
    runOnChosenLocation(store_, store_.isImportAllFolderPickerPresented, result,
                        {"Import presets", "Could not open the selected folder. ", "Could not import presets. "},
                        [](const URL& folder) { return Outcome{importSummaryMessage(importPresetsFromFolder(folder))}; });
}

void PresetLibrary::importPresetFromSelectedFile(const PickerResult& result) {
    runOnChosenLocation(store_, store_.isImportOnePresetPickerPresented, result,
                        {"Import preset", "Could not open the selected file. ", "Could not import preset. "},
                        [](const URL& file) { return Outcome{importResultMessage(importPresetFromFile(file))}; });
}

void PresetLibrary::exportPresetsToSelectedFolder(const PickerResult& result) {
    runOnChosenLocation(store_, store_.isBackupFolderPickerPresented, result,
                        {"Export presets", "Could not open the selected folder. ", "Could not export presets. "}, [](const URL& folder) {
                            return Outcome{exportSummaryMessage(exportPresets(folder)), true};
                        });
}

}  // namespace pulvan::library
