#include "editor/views/main/main_menu.h"

#include <string>
#include <utility>

namespace pulvan::views {

namespace {

store::DropdownItem menuItem(std::string label, std::function<void()> action, bool disabled = false, bool active = false) {
    return {.label = std::move(label), .active = active, .disabled = disabled, .action = std::move(action)};
}

store::DropdownItem menuSeparator() {
    return {.action = [] {}, .isSeparator = true};
}

}  // namespace

void topBarMainMenu(store::SequencerStore& store, const foundation::Uuid& anchor) {
    store::SequencerStore* s = &store;
    const bool learning = store.isMIDILearnActive.get();
    std::vector<store::DropdownItem> presetAndPattern{
        menuItem("Initialize", [s] { s->initializePreset(); }),
        menuSeparator(),
        menuItem("Copy current pattern", [s] { s->copyPatternToPasteboard(); }),
        menuItem(
            "Paste to current pattern", [s] { s->pastePatternFromPasteboard(); }, !pasteboardHasPattern(store)),
        menuSeparator(),
        menuItem("Export all presets", [s] { s->isBackupFolderPickerPresented.set(true); }),
        menuItem("Import all presets", [s] { s->isImportAllFolderPickerPresented.set(true); }),
        menuItem("Import one preset", [s] { s->isImportOnePresetPickerPresented.set(true); }),
        menuSeparator(),
    };
    std::vector<store::DropdownItem> midiLearn{
        menuItem(
            learning ? "Exit MIDI Learn" : "MIDI Learn", [s] { s->toggleMIDILearn(); }, false, learning),
    };
    std::vector<store::DropdownItem> settings{
        menuItem("Settings", [s] { openModal(*s, store::KezModal::globalSettings); }),
    };
    std::vector<store::DropdownItem> help{
        menuItem("Midi setup help", [s] { openModal(*s, store::KezModal::midiSetupHelp); }),
        menuItem("About", [s] { openModal(*s, store::KezModal::about); }),
    };

    std::vector<store::DropdownItem> items = std::move(presetAndPattern);
    for (auto* group : {&midiLearn, &settings, &help}) items.insert(items.end(), group->begin(), group->end());
    items = collapseMenuSeparators(std::move(items));
    for (store::DropdownItem& item : items) item.pressHighlight = !item.isSeparator;

    store.dropdown.set(store::DropdownRequest{
        .anchorID = anchor,
        .items = std::move(items),
        .vertical = true,
        .presetStyle = true,
        .width = 200,
    });
}

std::vector<store::DropdownItem> collapseMenuSeparators(std::vector<store::DropdownItem> items) {
    std::vector<store::DropdownItem> kept;
    for (store::DropdownItem& item : items) {
        if (item.isSeparator && (kept.empty() || kept.back().isSeparator)) continue;
        kept.push_back(std::move(item));
    }
    while (!kept.empty() && kept.back().isSeparator) kept.pop_back();
    return kept;
}

bool pasteboardHasPattern(const store::SequencerStore& store) {
    return store.services().pasteboard.offers(store::SequencerStore::patternPasteboardType);
}

void openModal(store::SequencerStore& store, store::KezModal modal) { store.setActiveModal(modal); }

}  // namespace pulvan::views
