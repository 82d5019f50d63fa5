#include "editor/library/chord_progression_files.h"
#include "editor/library/file_name_coding.h"
#include "editor/library/preset_files.h"
#include "editor/library/preset_listing.h"
#include "editor/library/preset_names.h"
#include "tests/editor/library/library_store_fixture.h"

#include <unistd.h>

#include <functional>

namespace pulvan::library::test {
namespace {

using Chords = std::vector<model::Chord>;
using Names = std::vector<std::string>;

class LibraryCommands : public LibraryStoreTest {
protected:
    URL outside(const std::string& relative) const { return lib.base() / "outside" / relative; }
};

TEST_F(LibraryCommands, PickerCancelSaysNothingAndErrorsSayWhy) {
    using Handler = void (PresetLibrary::*)(const PickerResult&);
    using Flag = foundation::Observable<bool> store::SequencerStore::*;
    const std::vector<std::tuple<Handler, Flag, std::string, std::string>> rows{
        {&PresetLibrary::importPresetsFromSelectedFolder, &store::SequencerStore::isImportAllFolderPickerPresented, "Import presets",
         "Could not open the selected folder. "},
        {&PresetLibrary::importPresetFromSelectedFile, &store::SequencerStore::isImportOnePresetPickerPresented, "Import preset",
         "Could not open the selected file. "},
        {&PresetLibrary::exportPresetsToSelectedFolder, &store::SequencerStore::isBackupFolderPickerPresented, "Export presets",
         "Could not open the selected folder. "}};
    for (const auto& [handle, flag, title, openFailure] : rows) {
        store->dialog.set(std::nullopt);
        (store.get()->*flag).set(true);
        (library.get()->*handle)(pickerCancelled());
        EXPECT_FALSE((store.get()->*flag).get()) << title;
        EXPECT_FALSE(store->dialog.get().has_value()) << title;
        (library.get()->*handle)(PickerResult{std::vector<URL>{}});
        EXPECT_FALSE(store->dialog.get().has_value()) << title;
        (library.get()->*handle)(pickerFailed("Permission denied."));
        EXPECT_EQ(dialog().title, title);
        EXPECT_EQ(message(), openFailure + "Permission denied.");
    }
}

TEST_F(LibraryCommands, ImportAlertsCarryTheSummary) {
    TempLibrary::write(outside("pick/Lead.json"), validPresetJSON());
    TempLibrary::write(outside("pick/bad.json"), corruptPresetJSON());
    TempLibrary::write(outside("pick/worse.json"), corruptPresetJSON());
    library->importPresetsFromSelectedFolder(pickedLocation(outside("pick")));
    EXPECT_EQ(message(), "Imported 1 preset.\nSkipped 2 invalid files.");
    EXPECT_FALSE(dialog().prefersGlobalAccent);

    library->importPresetFromSelectedFile(pickedLocation(outside("pick/Lead.json")));
    EXPECT_EQ(message(), "Preset imported as \"Lead (imported)\" (name already existed).");
    library->importPresetFromSelectedFile(pickedLocation(outside("pick/bad.json")));
    EXPECT_EQ(message(), "Could not import preset. Selected file is not a valid preset JSON.");
    library->importPresetsFromSelectedFolder(pickedLocation(outside("gone")));
    EXPECT_EQ(message(), "Could not import presets. Selected folder no longer exists.");
}

TEST_F(LibraryCommands, ExportAlertsCountAndPreferTheGlobalAccentOnSuccess) {
    std::filesystem::create_directories(outside("backup"));
    library->exportPresetsToSelectedFolder(pickedLocation(outside("backup")));
    EXPECT_EQ(message(), "No presets to export yet.");
    EXPECT_TRUE(dialog().prefersGlobalAccent);
    ASSERT_TRUE(writePresetFile("Lead", std::nullopt, "{}"));
    library->exportPresetsToSelectedFolder(pickedLocation(outside("backup")));
    EXPECT_EQ(message(), "Exported 1 preset.");
    library->exportPresetsToSelectedFolder(pickedLocation(outside("gone")));
    EXPECT_EQ(message(), "Could not export presets. Selected folder no longer exists.");
    EXPECT_FALSE(dialog().prefersGlobalAccent);
}

// ---- Chord progressions ----

void setSceneChords(store::SequencerStore& store, const Chords& chords) {
    store.preset.modify([&](model::Preset& preset) {
        for (std::size_t i = 0; i < chords.size(); ++i) preset.chordPresets.at(i).chord = chords[i];
    });
}

TEST_F(LibraryCommands, SavedProgressionsAreListedLoadedWithUndoAndDeleted) {
    setSceneChords(*store, {{64, 60, 60}, {72}});
    library->presentSaveChordProgressionPrompt();
    EXPECT_EQ(dialog().title, "Save chord progression");
    EXPECT_EQ(dialog().confirmLabel, "Save");
    confirm("  Verse  ");
    EXPECT_EQ(readChordProgressionPresetFile("Verse"), (Chords{{60, 64}, {72}, {}, {}, {}, {}, {}, {}}));

    const foundation::Uuid anchor = foundation::Uuid::random();
    auto items = library->chordProgressionPresetsDropdown(anchor);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].label, "Verse");
    EXPECT_TRUE(items[0].pressHighlight);

    setSceneChords(*store, {{60, 64}, {72}});
    const std::size_t undoEntries = store->history().labels().size();
    items[0].action();  // the scenes hold these chords already: nothing to do
    EXPECT_EQ(store->history().labels().size(), undoEntries);
    EXPECT_FALSE(store->pendingAppPlayGlobalNoteRelease);

    setSceneChords(*store, {{50}});
    items[0].action();
    EXPECT_EQ(store->preset->chordPresets[0].chord, (model::Chord{60, 64}));
    EXPECT_EQ(store->history().labels().back(), "Load chord progression");
    EXPECT_TRUE(store->pendingAppPlayGlobalNoteRelease);

    items[0].onDelete();
    EXPECT_EQ(message(), "Are you sure you want to delete the chord progression preset \"Verse\"? This cannot be undone.");
    confirm();
    ASSERT_TRUE(store->dropdown.get().has_value());
    EXPECT_EQ(store->dropdown.get()->anchorID, anchor);
    ASSERT_EQ(store->dropdown.get()->items.size(), 1u);
    EXPECT_EQ(store->dropdown.get()->items[0].label, "No chord progression presets");
    EXPECT_FALSE(store->dropdown.get()->items[0].onDelete);
    store->dropdown.get()->items[0].action();
}

TEST_F(LibraryCommands, ProgressionCapAllowsOverwritesAndFailuresAreSaid) {
    for (int i = 0; i < kPresetCap; ++i) ASSERT_TRUE(writeChordProgressionPresetFile(std::string("C").append(std::to_string(i)), {}));
    library->saveChordProgressionPreset("new");
    EXPECT_EQ(message(), "Max 100 presets reached.");
    store->dialog.set(std::nullopt);
    library->saveChordProgressionPreset("c42");
    EXPECT_FALSE(store->dialog.get().has_value());
    EXPECT_EQ(chordProgressionPresetNames().size(), static_cast<std::size_t>(kPresetCap));
    library->saveChordProgressionPreset("   ");
    EXPECT_EQ(message(), "Preset name cannot be empty.");
    lib.blockLibraryLocation();
    library->saveChordProgressionPreset("Chorus");
    EXPECT_EQ(message(), "Could not save chord progression.");
}

// ---- Names at the file-name limit ----

std::string repeated(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

TEST_F(LibraryCommands, NamesWhoseFileCannotBeMadeAreRefusedAndAllOthersSaved) {
    ASSERT_EQ(::pathconf(lib.base().c_str(), _PC_NAME_MAX), 255) << "the names are measured for a 255-byte limit";
    const std::string note = "\xE2\x99\xAA";      // "%E2%99%AA" on disk
    const std::string keys = "\xF0\x9F\x8E\xB9";  // 12 bytes on disk
    // File names of 248, 255, 256 and 275 bytes with ".json".
    const std::vector<std::pair<std::string, bool>> names{{repeated(note, 27), true},
                                                          {repeated(keys, 20) + "aaaaaaa#", true},
                                                          {repeated(keys, 20) + "aaaaaaaa#", false},
                                                          {repeated(note, 30), false}};
    struct Kind {
        std::string title;
        URL folder;
        std::function<void(const std::string&)> save;
        std::function<Names()> saved;
    };
    const std::vector<Kind> kinds{
        {"Save preset", lib.home(), [&](const std::string& name) { savePresetAs(name); }, [] { return presetNames(std::nullopt); }},
        {"Save chord progression", lib.chords(), [&](const std::string& name) { library->saveChordProgressionPreset(name); },
         chordProgressionPresetNames},
    };
    for (const Kind& kind : kinds) {
        for (const auto& [name, fits] : names) {
            SCOPED_TRACE(kind.title + ", " + std::to_string(jsonFileName(name).size()) + " bytes");
            std::filesystem::remove_all(lib.root());  // made by the save: the limit is found further up
            store->dialog.set(std::nullopt);
            kind.save(name);
            if (fits) {
                EXPECT_FALSE(store->dialog.get().has_value());
                EXPECT_EQ(kind.saved(), Names{name});
                EXPECT_EQ(TempLibrary::entries(kind.folder).size(), 1u) << "no temporary file left";
            } else {
                EXPECT_EQ(dialog().title, kind.title);
                EXPECT_EQ(message(), "Preset name is too long.");
                EXPECT_EQ(TempLibrary::entries(kind.folder), Names{});
            }
        }
        // Made elsewhere under its raw name, a file of that name is neither asked about nor touched.
        const URL twin = kind.folder / (names.back().first + ".json");
        TempLibrary::write(twin, "kept");
        store->dialog.set(std::nullopt);
        kind.save(names.back().first);
        EXPECT_EQ(message(), "Preset name is too long.");
        EXPECT_EQ(TempLibrary::read(twin), "kept");
    }
}

// ---- MIDI export ----

TEST_F(LibraryCommands, MIDIExportWritesOnceAndReports) {
    std::filesystem::create_directories(outside("takes"));
    const auto pend = [&] {
        store->pendingMIDIExportData = std::vector<std::uint8_t>{'M', 'T', 'h', 'd'};
        store->pendingMIDIExportFileName = "take.mid";
        store->pendingMIDIExportBarCount = 1;
        store->isMIDIExportFolderPickerPresented.set(true);
    };
    pend();
    library->exportMIDIToSelectedFolder(pickedLocation(outside("takes")));
    EXPECT_EQ(message(), "Saved \"take.mid\" (1 bars).");
    EXPECT_TRUE(dialog().prefersGlobalAccent);
    EXPECT_EQ(TempLibrary::read(outside("takes/take.mid")), "MThd");
    EXPECT_FALSE(store->pendingMIDIExportData.has_value());
    EXPECT_FALSE(store->isMIDIExportFolderPickerPresented.get());

    pend();
    library->exportMIDIToSelectedFolder(pickerFailed("x"));
    EXPECT_EQ(message(), "unable to save");
    EXPECT_FALSE(store->pendingMIDIExportData.has_value());
    pend();
    store->dialog.set(std::nullopt);
    library->exportMIDIToSelectedFolder(pickerCancelled());
    EXPECT_FALSE(store->dialog.get().has_value());
    EXPECT_EQ(store->pendingMIDIExportFileName, "");
    EXPECT_EQ(TempLibrary::entries(outside("takes")).size(), 1u);
}

TEST_F(LibraryCommands, MIDIExportKeepsTheTakeWhenTheWriteFailsAndSavesItFromTheNextFolder) {
    std::filesystem::create_directories(outside("takes"));
    TempLibrary::write(outside("a-file"), "keep");
    const std::vector<std::pair<std::string, URL>> rows{
        {"folder gone", outside("gone")},
        {"folder is a file", outside("a-file")},
    };
    const std::vector<std::uint8_t> take{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    for (const auto& [failure, folder] : rows) {
        SCOPED_TRACE(failure);
        store->pendingMIDIExportData = take;
        store->pendingMIDIExportFileName = "take.mid";
        store->pendingMIDIExportBarCount = 2;
        store->isMIDIExportFolderPickerPresented.set(true);
        library->exportMIDIToSelectedFolder(pickedLocation(folder));
        EXPECT_EQ(message(), "unable to save");
        EXPECT_EQ(store->pendingMIDIExportData, take);
        EXPECT_EQ(store->pendingMIDIExportFileName, "take.mid");
        EXPECT_EQ(store->pendingMIDIExportBarCount, 2);
        EXPECT_FALSE(store->isMIDIExportFolderPickerPresented.get());

        confirm();  // "OK" asks for another folder
        EXPECT_TRUE(store->isMIDIExportFolderPickerPresented.get());
        library->exportMIDIToSelectedFolder(pickedLocation(outside("takes")));
        EXPECT_EQ(message(), "Saved \"take.mid\" (2 bars).");
        EXPECT_EQ(TempLibrary::read(outside("takes/take.mid")), std::string(take.begin(), take.end()));
        EXPECT_FALSE(store->pendingMIDIExportData.has_value());
        std::filesystem::remove(outside("takes/take.mid"));
    }
    EXPECT_EQ(TempLibrary::read(outside("a-file")), "keep");
    EXPECT_TRUE(TempLibrary::entries(outside("takes")).empty());
}

TEST_F(LibraryCommands, MIDIExportNameUsesTheStoresPresetAndTracks) {
    store->currentPresetName.set("My Song!");
    EXPECT_EQ(library->midiExportFileName(8).substr(16), " pulvan My Song 1tracks 8bars.mid");
}

}  // namespace
}  // namespace pulvan::library::test
