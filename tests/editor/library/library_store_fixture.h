#pragma once

#include <gtest/gtest.h>

#include "editor/library/preset_library.h"
#include "editor/model/preset_json.h"
#include "editor/store/sequencer_store.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/pasteboard.h"
#include "tests/editor/library/temp_library.h"

#include <memory>

namespace pulvan::library::test {

// A store and its preset library over a temp Library folder, with a manual clock for
// double taps and a fixed wall time for export names.
class LibraryStoreTest : public ::testing::Test {
protected:
    TempLibrary lib;
    foundation::ManualMainQueue main;
    foundation::MemoryPasteboard pasteboard;
    std::unique_ptr<store::SequencerStore> store =
        std::make_unique<store::SequencerStore>(store::StoreServices{main.queue(), pasteboard, foundation::UserDefaults::standard(), {}});
    bool encodingFails = false;
    std::unique_ptr<PresetLibrary> library = makeLibrary();

    std::unique_ptr<PresetLibrary> makeLibrary() {
        PresetDocumentHooks hooks;
        hooks.encodedPresetData = [this]() -> std::optional<std::string> {
            if (encodingFails) return std::nullopt;
            return model::encodePreset(store->preset.get());
        };
        hooks.applyPresetData = [this](std::string_view data) {
            auto loaded = model::PresetParser::load(data);
            if (loaded.preset) store->preset.set(*loaded.preset);
            return loaded.outcome;
        };
        hooks.applyChordProgressionPreset = [this](const std::vector<model::Chord>& chords) {
            store->preset.modify([&](model::Preset& preset) {
                for (std::size_t i = 0; i < chords.size() && i < preset.chordPresets.size(); ++i) {
                    preset.chordPresets[i].chord = chords[i];
                }
            });
        };
        return std::make_unique<PresetLibrary>(*store, std::move(hooks), PresetLibraryClocks{&main.clock(), [] { return std::time_t{0}; }});
    }

    const store::DialogRequest& dialog() const {
        EXPECT_TRUE(store->dialog.get().has_value());
        return *store->dialog.get();
    }
    // Confirms the shown dialog as the editor shell does: dismissed first, then run.
    void confirm(const std::string& text = {}) {
        const store::DialogRequest request = dialog();
        store->dialog.set(std::nullopt);
        request.onConfirm(text);
    }
    // Cancels the shown dialog as the editor shell does: dismissed first, then told.
    void cancel() {
        const store::DialogRequest request = dialog();
        store->dialog.set(std::nullopt);
        if (request.onCancel) request.onCancel();
    }
    std::string message() const { return dialog().message.value_or(""); }
    std::vector<std::string> fileRows() const {
        std::vector<std::string> names;
        for (const auto& entry : store->presetDialogFiles.get()) names.push_back(entry.name);
        return names;
    }
    void setSwing(int percent) {
        store->preset.modify([&](model::Preset& preset) { preset.swingPercent = percent; });
    }
    // An edit the store can undo: work that a load would lose.
    void editSwing(int percent) {
        store->beginTransaction("Edit");
        setSwing(percent);
        store->endTransaction();
        ASSERT_TRUE(store->hasUnsavedChanges());
    }
    void savePresetAs(const std::string& name) {
        store->presetDialogSaveName.set(name);
        library->confirmSavePreset();
    }
};

}  // namespace pulvan::library::test
