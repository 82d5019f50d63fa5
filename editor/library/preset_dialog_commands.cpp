#include "editor/library/file_name_coding.h"
#include "editor/library/library_dialogs.h"
#include "editor/library/preset_files.h"
#include "editor/library/preset_library.h"
#include "editor/library/preset_listing.h"
#include "editor/library/preset_names.h"
#include "platform/foundation/atomic_file.h"
#include "platform/foundation/unicode_text.h"

#include <algorithm>

namespace pulvan::library {
namespace {

using store::PresetDialogFileEntry;
using store::PresetDialogFolder;

bool hasRow(const std::vector<PresetDialogFolder>& rows, const std::string& id) {
    return std::any_of(rows.begin(), rows.end(), [&](const PresetDialogFolder& row) { return row.id == id; });
}

// Both home, or both names of one user folder: of two folders that differ only in case,
// each is its own.
bool sameFolder(const std::optional<std::string>& a, const std::optional<std::string>& b) {
    if (!a || !b) return !a && !b;
    const auto folder = presetFolderURL(*a, false);
    return folder && folder == presetFolderURL(*b, false);
}

std::string inQuotes(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

void PresetLibrary::presentPresetDialog(store::PresetDialogMode mode) {
    store_.dropdown.set(std::nullopt);
    store_.presetDialogMode.set(mode);
    refreshPresetDialogFolders();
    if (store_.currentPresetName.get().empty()) {
        store_.presetDialogFolderID.set(std::string(kHomeFolderID));
    } else if (store_.currentPresetFolderName) {
        if (auto id = folderRowID(*store_.currentPresetFolderName)) store_.presetDialogFolderID.set(*id);
    }
    refreshPresetDialogFiles();
    store_.presetDialogSelectedFile.set(existingPresetFileName(store_.currentPresetName.get(), selectedPresetDialogFolderName()));
    forgetLastTap();
    store_.isPresetDialogPresented.set(true);
}

void PresetLibrary::presentSavePresetDialog() {
    presentPresetDialog(store::PresetDialogMode::save);
    store_.presetDialogSaveName.set(foundation::firstCharacters(store_.currentPresetName.get(), kNameCharacterLimit));
    store_.presetDialogSelectedFile.set(existingPresetFileName(store_.presetDialogSaveName.get(), selectedPresetDialogFolderName()));
}

void PresetLibrary::refreshPresetDialogFolders() {
    std::vector<PresetDialogFolder> rows{{std::string(kHomeFolderID), std::string(kHomeFolderName), std::nullopt, false}};
    for (const std::string& name : presetFolderEntries()) {
        rows.push_back({name, name, name, presetFolderHoldsNothingVisible(name)});
    }
    const bool selectionListed = hasRow(rows, store_.presetDialogFolderID.get());
    store_.presetDialogFolders.set(std::move(rows));
    if (!selectionListed) store_.presetDialogFolderID.set(std::string(kHomeFolderID));
}

void PresetLibrary::refreshPresetDialogFiles() {
    std::vector<PresetDialogFileEntry> entries;
    if (auto folder = presetFolderURL(selectedPresetDialogFolderName(), false)) {
        for (const URL& file : listPresetFiles(*folder)) entries.push_back({decodedFileName(file), fileSize(file)});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const PresetDialogFileEntry& a, const PresetDialogFileEntry& b) {
        return foundation::localizedCaseInsensitiveLess(a.name, b.name);
    });
    const auto& selected = store_.presetDialogSelectedFile.get();
    const bool selectionListed = selected && std::any_of(entries.begin(), entries.end(), [&](const PresetDialogFileEntry& entry) {
                                     return foundation::equalIgnoringCase(entry.name, *selected);
                                 });
    store_.presetDialogFiles.set(std::move(entries));
    if (selected && !selectionListed) store_.presetDialogSelectedFile.set(std::nullopt);
}

void PresetLibrary::selectPresetDialogFolder(const std::string& id) {
    if (!hasRow(store_.presetDialogFolders.get(), id)) return;
    store_.presetDialogFolderID.set(id);
    store_.presetDialogSelectedFile.set(std::nullopt);
    forgetLastTap();
    refreshPresetDialogFiles();
}

std::optional<std::string> PresetLibrary::folderRowID(const std::string& folderName) const {
    std::vector<std::string> names;
    std::vector<std::string> ids;
    for (const PresetDialogFolder& row : store_.presetDialogFolders.get()) {
        if (!row.folderName) continue;
        names.push_back(*row.folderName);
        ids.push_back(row.id);
    }
    if (auto match = matchingName(names, folderName)) return ids[*match];
    return std::nullopt;
}

std::optional<std::string> PresetLibrary::selectedPresetDialogFolderName() const {
    for (const PresetDialogFolder& row : store_.presetDialogFolders.get()) {
        if (row.id == store_.presetDialogFolderID.get()) return row.folderName;
    }
    return std::nullopt;
}

std::optional<std::string> PresetLibrary::existingPresetFileName(const std::string& name,
                                                                 const std::optional<std::string>& folderName) const {
    return library::existingPresetFileName(name, folderName);
}

void PresetLibrary::loadPresetFromDialog(const std::string& name) {
    if (store_.presetDialogMode.get() == store::PresetDialogMode::save) {
        store_.presetDialogSelectedFile.set(name);
        store_.presetDialogSaveName.set(name);
        return;
    }
    const auto folderName = selectedPresetDialogFolderName();
    const double now = clocks_.uptime->systemUptime();
    const bool doubleTap = store_.lastPresetDialogTapName == name && now - store_.lastPresetDialogTapDate < doubleTapSeconds;
    store_.lastPresetDialogTapName = name;
    store_.lastPresetDialogTapDate = now;
    if (!store_.hasUnsavedChanges()) {
        loadPreset(name, folderName, doubleTap, store_.presetDialogSelectedFile.get());
    } else if (doubleTap && isAsking(pendingLoad_)) {
        // The second tap of a double tap that is being asked about: the load, once confirmed, also closes.
        pendingLoad_->closesDialog = true;
    } else {
        askBeforeLoading(name, folderName, doubleTap);
    }
}

bool PresetLibrary::isAsking(const std::shared_ptr<PendingLoad>& load) const {
    return load && store_.dialog.get() && store_.dialog.get()->id == load->request;
}

void PresetLibrary::askBeforeLoading(const std::string& name, const std::optional<std::string>& folderName, bool closesDialog) {
    auto load = std::make_shared<PendingLoad>(PendingLoad{{}, name, folderName, closesDialog, store_.presetDialogSelectedFile.get()});
    // The tapped row shows what the question is about.
    store_.presetDialogSelectedFile.set(name);
    store_.presentLoadOverUnsavedChangesDialog(name, self_.weakly([load](PresetLibrary& library) {
        library.loadPreset(load->name, load->folderName, load->closesDialog, load->selectionBefore);
    }));
    store_.dialog.modify([&](std::optional<store::DialogRequest>& request) {
        load->request = request->id;
        request->onCancel =
            self_.weakly([load](PresetLibrary& library) { library.store_.presetDialogSelectedFile.set(load->selectionBefore); });
        request->onRepeatedClick = self_.weakly([name](PresetLibrary& library) { library.loadPresetFromDialog(name); });
    });
    pendingLoad_ = std::move(load);
}

void PresetLibrary::loadPreset(const std::string& name, const std::optional<std::string>& folderName, bool closesDialog,
                               const std::optional<std::string>& selectionBefore) {
    auto outcome = model::PresetLoadOutcome::corruptData();
    if (auto file = existingPresetFileURL(name, folderName)) {
        auto read = foundation::readWholeFile(*file);
        if (read.bytes && hooks_.applyPresetData) outcome = hooks_.applyPresetData(*read.bytes);
    }
    if (outcome.kind == model::PresetLoadOutcome::Kind::success) {
        store_.currentPresetName.set(name);
        store_.currentPresetFolderName = folderName;
        store_.presetDialogSelectedFile.set(name);
        if (closesDialog) store_.isPresetDialogPresented.set(false);
        return;
    }
    store_.presetDialogSelectedFile.set(selectionBefore);
    if (outcome.kind == model::PresetLoadOutcome::Kind::unsupportedVersion) {
        alert("Load preset", inQuotes(name) + " was created with a newer version of Pulvan. Update the app to load it.");
    } else {
        alert("Load preset", "Could not load " + inQuotes(name) + ".");
    }
}

void PresetLibrary::confirmSavePreset() {
    std::string name = cleanedPresetName(store_.presetDialogSaveName.get());
    if (name.empty()) {
        alert("Save preset", "Preset name cannot be empty.");
        return;
    }
    const auto folderName = selectedPresetDialogFolderName();
    // Before the question about overwriting: a file of that name made elsewhere under a
    // shorter spelling would be asked about and then could not be replaced.
    if (!presetFileNameFits(name, folderName)) {
        alert("Save preset", "Preset name is too long.");
        return;
    }
    if (foundation::equalIgnoringCase(name, kDefaultPresetName)) name = kDefaultPresetName;
    store_.presetDialogSaveName.set(name);
    if (existingPresetFileName(name, folderName)) {
        store_.dialog.set(
            confirmationRequest("Save preset", "Overwrite preset " + inQuotes(name) + " ?", "Overwrite",
                                self_.weakly([name, folderName](PresetLibrary& library) { library.savePreset(name, folderName); })));
    } else if (totalPresetCount() < kPresetCap) {
        savePreset(name, folderName);
    } else {
        alert("Save preset", "Max " + std::to_string(kPresetCap) + " presets reached.");
    }
}

bool PresetLibrary::savePreset(const std::string& name, const std::optional<std::string>& folderName) {
    const auto data = hooks_.encodedPresetData ? hooks_.encodedPresetData() : std::nullopt;
    if (!data || !writePresetFile(name, folderName, *data)) {
        alert("Save preset", "Could not save preset.");
        return false;
    }
    store_.currentPresetName.set(name);
    store_.currentPresetFolderName = folderName;
    store_.presetDialogSelectedFile.set(name);
    refreshPresetDialogFiles();
    refreshPresetDialogFolders();
    store_.isPresetDialogPresented.set(false);
    return true;
}

void PresetLibrary::presentDeletePresetDialog(const std::string& name) {
    const auto folderName = selectedPresetDialogFolderName();
    store_.dialog.set(
        confirmationRequest("Delete preset", "Delete preset " + inQuotes(name) + " ?", "Delete",
                            self_.weakly([name, folderName](PresetLibrary& library) { library.deletePresetConfirmed(name, folderName); })));
}

void PresetLibrary::deletePresetConfirmed(const std::string& name, const std::optional<std::string>& folderName) {
    if (!deletePresetFile(name, folderName)) {
        alert("Delete preset", "Could not delete " + inQuotes(name) + ".");
        return;
    }
    const auto& selected = store_.presetDialogSelectedFile.get();
    if (selected && foundation::equalIgnoringCase(*selected, name)) store_.presetDialogSelectedFile.set(std::nullopt);
    if (foundation::equalIgnoringCase(store_.currentPresetName.get(), name) && sameFolder(store_.currentPresetFolderName, folderName)) {
        store_.currentPresetName.set("");
        store_.currentPresetFolderName.reset();
    }
    refreshPresetDialogFiles();
    refreshPresetDialogFolders();
}

}  // namespace pulvan::library
