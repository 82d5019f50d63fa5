#pragma once

#include "editor/library/picker_result.h"
#include "editor/model/lane.h"
#include "editor/model/preset_parser.h"
#include "editor/store/dropdown_request.h"
#include "editor/store/sequencer_store.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/weak_self.h"

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The store side of the preset library: the preset dialog's rows and commands, import
// and export, chord-progression presets and MIDI export, each failure the user must
// see published as one dialog on the store. Main thread only.
namespace pulvan::library {

// What the library needs of the edited document; an absent hook acts as a failure
// (no data, corrupt data) or, for the chords, as nothing to apply.
struct PresetDocumentHooks {
    std::function<std::optional<std::string>()> encodedPresetData;
    std::function<model::PresetLoadOutcome(std::string_view data)> applyPresetData;
    // Writes 8 chords into the scenes inside the caller's transaction.
    std::function<void(const std::vector<model::Chord>& chords)> applyChordProgressionPreset;
};

struct PresetLibraryClocks {
    const foundation::Clock* uptime = &foundation::systemClock();               // double taps
    std::function<std::time_t()> wallTime = [] { return std::time(nullptr); };  // export names
};

class PresetLibrary {
public:
    static constexpr double doubleTapSeconds = 0.35;

    PresetLibrary(store::SequencerStore& store, PresetDocumentHooks hooks, PresetLibraryClocks clocks = {});
    ~PresetLibrary();
    PresetLibrary(const PresetLibrary&) = delete;
    PresetLibrary& operator=(const PresetLibrary&) = delete;

    // ---- Preset dialog (preset_dialog_commands.cpp) ----
    void presentPresetDialog(store::PresetDialogMode mode);
    void presentSavePresetDialog();
    void refreshPresetDialogFolders();
    void refreshPresetDialogFiles();
    void selectPresetDialogFolder(const std::string& id);
    std::optional<std::string> selectedPresetDialogFolderName() const;
    // The stored name of a preset of that folder (none = home) whose name equals the trimmed name
    // ignoring case; none for a blank name or no such preset.
    std::optional<std::string> existingPresetFileName(const std::string& name, const std::optional<std::string>& folderName) const;
    // In load mode a tap loads at once; over unsaved edits it asks first, and the second tap of a double
    // tap, arriving while it asks, makes the confirmed load close the dialog too.
    void loadPresetFromDialog(const std::string& name);
    void loadPresetFromDialog(const store::PresetDialogFileEntry& entry) { loadPresetFromDialog(entry.name); }
    void confirmSavePreset();
    bool savePreset(const std::string& name, const std::optional<std::string>& folderName);
    void presentDeletePresetDialog(const std::string& name);
    void deletePresetConfirmed(const std::string& name, const std::optional<std::string>& folderName);

    // ---- Preset folders (preset_folder_commands.cpp) ----
    void presentNewFolderPrompt();
    void createFolderConfirmed(const std::string& text);
    void presentDeleteFolderDialog(const std::string& id);
    void deleteFolderConfirmed(const std::string& folderName);

    // ---- Picker results for import and export (preset_transfer_commands.cpp) ----
    void importPresetsFromSelectedFolder(const PickerResult& result);
    void importPresetFromSelectedFile(const PickerResult& result);
    void exportPresetsToSelectedFolder(const PickerResult& result);

    // ---- Chord progressions (chord_progression_commands.cpp) ----
    void presentSaveChordProgressionPrompt();
    void saveChordProgressionPreset(const std::string& text);
    std::vector<store::DropdownItem> chordProgressionPresetsDropdown(foundation::Uuid anchorID);
    void presentChordProgressionPresetsDropdown(foundation::Uuid anchorID);
    void loadChordProgressionPreset(const std::string& name);
    void presentDeleteChordProgressionDialog(const std::string& name, foundation::Uuid anchorID);

    // ---- MIDI export (midi_export_commands.cpp) ----
    std::string midiExportFileName(int bars) const;
    void exportMIDIToSelectedFolder(const PickerResult& result);

private:
    // The id of the folder row of that name (`matchingName`), none when no row has it.
    std::optional<std::string> folderRowID(const std::string& folderName) const;
    // A load that waits for the answer to the question about unsaved edits.
    struct PendingLoad {
        foundation::Uuid request;
        std::string name;
        std::optional<std::string> folderName;
        bool closesDialog = false;
        std::optional<std::string> selectionBefore;  // the highlight again when it does not load
    };
    bool isAsking(const std::shared_ptr<PendingLoad>& load) const;
    void askBeforeLoading(const std::string& name, const std::optional<std::string>& folderName, bool closesDialog);
    // A failure leaves the highlight on selectionBefore.
    void loadPreset(const std::string& name, const std::optional<std::string>& folderName, bool closesDialog,
                    const std::optional<std::string>& selectionBefore);
    void alert(std::string title, std::string message, bool prefersGlobalAccent = false);
    void forgetLastTap();

    store::SequencerStore& store_;
    PresetDocumentHooks hooks_;
    PresetLibraryClocks clocks_;
    std::shared_ptr<PendingLoad> pendingLoad_;
    // Dialog and dropdown closures run on this library while it exists, and else do nothing.
    foundation::WeakSelf<PresetLibrary> self_{this};
};

}  // namespace pulvan::library
