#include "editor/library/chord_progression_files.h"
#include "editor/library/library_dialogs.h"
#include "editor/library/preset_library.h"
#include "editor/library/preset_names.h"
#include "editor/model/chord_progression_document.h"
#include "platform/foundation/unicode_text.h"

#include <algorithm>

namespace pulvan::library {
namespace {

constexpr const char* kSaveTitle = "Save chord progression";

std::vector<model::Chord> sceneChords(const model::Preset& preset) {
    std::vector<model::Chord> chords;
    for (const model::ChordPreset& scene : preset.chordPresets) {
        if (static_cast<int>(chords.size()) == model::kProgressionChordCount) break;
        chords.push_back(scene.chord);
    }
    return chords;
}

}  // namespace

void PresetLibrary::presentSaveChordProgressionPrompt() {
    store_.dialog.set(
        namePromptRequest(kSaveTitle, std::nullopt, "Save", "Preset name",
                          self_.weakly([](PresetLibrary& library, const std::string& text) { library.saveChordProgressionPreset(text); })));
}

void PresetLibrary::saveChordProgressionPreset(const std::string& text) {
    const std::string name = cutName(text);
    if (name.empty()) {
        alert(kSaveTitle, "Preset name cannot be empty.");
        return;
    }
    if (!chordProgressionFileNameFits(name)) {
        alert(kSaveTitle, "Preset name is too long.");
        return;
    }
    const auto names = chordProgressionPresetNames();
    const bool overwrites = std::any_of(names.begin(), names.end(), [&](const std::string& existing) { return sameName(existing, name); });
    if (!overwrites && static_cast<int>(names.size()) >= kPresetCap) {
        alert(kSaveTitle, "Max " + std::to_string(kPresetCap) + " presets reached.");
        return;
    }
    // The prompt is gone once confirmed, so a failure must be said.
    if (!writeChordProgressionPresetFile(name, sceneChords(store_.preset.get()))) {
        alert(kSaveTitle, "Could not save chord progression.");
    }
}

std::vector<store::DropdownItem> PresetLibrary::chordProgressionPresetsDropdown(foundation::Uuid anchorID) {
    const auto names = chordProgressionPresetNames();
    if (names.empty()) {
        store::DropdownItem none;
        none.label = "No chord progression presets";
        none.action = [] {};
        return {none};
    }
    std::vector<store::DropdownItem> items;
    for (const std::string& name : names) {
        store::DropdownItem item;
        item.label = foundation::firstCharacters(name, kNameCharacterLimit);
        item.pressHighlight = true;
        item.action = self_.weakly([name](PresetLibrary& library) { library.loadChordProgressionPreset(name); });
        item.onDelete =
            self_.weakly([name, anchorID](PresetLibrary& library) { library.presentDeleteChordProgressionDialog(name, anchorID); });
        items.push_back(std::move(item));
    }
    return items;
}

void PresetLibrary::presentChordProgressionPresetsDropdown(foundation::Uuid anchorID) {
    store::DropdownRequest request;
    request.anchorID = anchorID;
    request.items = chordProgressionPresetsDropdown(anchorID);
    request.vertical = true;
    request.presetStyle = true;
    request.verticalAlignLeading = true;
    store_.dropdown.set(std::move(request));
}

void PresetLibrary::loadChordProgressionPreset(const std::string& name) {
    const auto chords = readChordProgressionPresetFile(name);
    if (!chords || *chords == sceneChords(store_.preset.get())) return;
    store_.pendingAppPlayGlobalNoteRelease = true;
    store_.beginTransaction("Load chord progression");
    if (hooks_.applyChordProgressionPreset) hooks_.applyChordProgressionPreset(*chords);
    store_.endTransaction();
}

void PresetLibrary::presentDeleteChordProgressionDialog(const std::string& name, foundation::Uuid anchorID) {
    store_.dialog.set(confirmationRequest(
        "Delete chord progression", "Are you sure you want to delete the chord progression preset \"" + name + "\"? This cannot be undone.",
        "Delete", self_.weakly([name, anchorID](PresetLibrary& library) {
            deleteChordProgressionPresetFile(name);
            library.presentChordProgressionPresetsDropdown(anchorID);
        })));
}

}  // namespace pulvan::library
