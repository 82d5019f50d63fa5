#include "editor/views/modals/preset_file_taps.h"

namespace pulvan::views {

void tapPresetFile(store::SequencerStore& store, library::PresetLibrary& library, const store::PresetDialogFileEntry& file) {
    if (store.presetDialogMode.get() == store::PresetDialogMode::load && store.hasUnsavedChanges()) {
        store.presetDialogSelectedFile.set(file.name);
        store.presentLoadOverUnsavedChangesDialog(file.name, [&library, file] { library.loadPresetFromDialog(file); });
        return;
    }
    library.loadPresetFromDialog(file);
}

}  // namespace pulvan::views
