#include "editor/library/library_dialogs.h"
#include "editor/library/preset_files.h"
#include "editor/library/preset_library.h"
#include "editor/library/preset_listing.h"
#include "editor/library/preset_names.h"
#include "platform/foundation/unicode_text.h"

namespace pulvan::library {

void PresetLibrary::presentNewFolderPrompt() {
    store_.dialog.set(
        namePromptRequest("New folder", "Folder name:", "Create", "Folder name",
                          self_.weakly([](PresetLibrary& library, const std::string& text) { library.createFolderConfirmed(text); })));
}

void PresetLibrary::createFolderConfirmed(const std::string& text) {
    const std::string name = cleanedPresetName(text);
    if (name.empty()) {
        alert("New folder", "Folder name cannot be empty.");
        return;
    }
    if (foundation::equalIgnoringCase(name, kHomeFolderName) || presetFolderNameExists(name)) {
        alert("New folder", "\"" + name + "\" already exists.");
        return;
    }
    if (!presetFolderNameFits(name)) {
        alert("New folder", "Folder name is too long.");
        return;
    }
    if (!createPresetFolder(name)) {
        alert("New folder", "Could not create folder.");
        return;
    }
    refreshPresetDialogFolders();
    if (auto id = folderRowID(name)) {
        selectPresetDialogFolder(*id);
        return;
    }
    refreshPresetDialogFiles();
}

void PresetLibrary::presentDeleteFolderDialog(const std::string& id) {
    if (id == kHomeFolderID) return;
    for (const store::PresetDialogFolder& row : store_.presetDialogFolders.get()) {
        if (row.id != id) continue;
        if (!row.folderName || !row.deletable) return;
        const std::string folderName = *row.folderName;
        store_.dialog.set(
            confirmationRequest("Delete folder", "Delete folder \"" + folderName + "\" ?", "Delete",
                                self_.weakly([folderName](PresetLibrary& library) { library.deleteFolderConfirmed(folderName); })));
        return;
    }
}

void PresetLibrary::deleteFolderConfirmed(const std::string& folderName) {
    if (!deletePresetFolder(folderName)) {
        alert("Delete folder", "Could not delete \"" + folderName + "\".");
        return;
    }
    refreshPresetDialogFolders();
    refreshPresetDialogFiles();
}

}  // namespace pulvan::library
