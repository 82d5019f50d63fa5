#include "editor/views/modals/preset_file_taps.h"

namespace pulvan::views {

void PresetFileTaps::tap(store::SequencerStore& store, library::PresetLibrary& library, const store::PresetDialogFileEntry& file,
                         std::int64_t nowNanoseconds) {
    const bool guarded = store.presetDialogMode.get() == store::PresetDialogMode::load && store.canUndo().get();
    if (!guarded) {
        guardedName_.reset();
        library.loadPresetFromDialog(file);
        return;
    }
    const auto window = static_cast<std::int64_t>(library::PresetLibrary::doubleTapSeconds * 1e9);
    if (guardedName_ != file.name || nowNanoseconds - guardedTime_ >= window) {
        guardedName_ = file.name;
        guardedTime_ = nowNanoseconds;
        store.presetDialogSelectedFile.set(file.name);
        return;
    }
    guardedName_.reset();
    library.loadPresetFromDialog(file);
    // A load that failed shows its alert over the dialog, which stays open.
    if (!store.dialog.get()) store.isPresetDialogPresented.set(false);
}

}  // namespace pulvan::views
