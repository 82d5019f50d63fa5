#include "editor/library/preset_files.h"
#include "editor/library/preset_listing.h"
#include "editor/library/preset_names.h"
#include "tests/editor/library/library_store_fixture.h"

#include <unistd.h>

namespace pulvan::library::test {
namespace {

using Names = std::vector<std::string>;
using Kind = store::DialogRequest::Kind;

class PresetDialog : public LibraryStoreTest {};

TEST_F(PresetDialog, SavingWritesTheFileAndClosesTheDialog) {
    library->presentPresetDialog(store::PresetDialogMode::save);
    EXPECT_TRUE(store->isPresetDialogPresented.get());
    setSwing(63);
    savePresetAs("Pad #1");
    EXPECT_FALSE(store->dialog.get().has_value());
    EXPECT_FALSE(store->isPresetDialogPresented.get());
    EXPECT_EQ(store->currentPresetName.get(), "Pad #1");
    EXPECT_EQ(store->presetDialogSelectedFile.get(), "Pad #1");
    EXPECT_EQ(fileRows(), (Names{"Pad #1"}));
    EXPECT_EQ(model::PresetParser::parse(TempLibrary::read(lib.home() / "Pad %231.json")).swingPercent, 63);
    ASSERT_TRUE(store->presetDialogFiles->front().sizeBytes.has_value());
    EXPECT_GT(*store->presetDialogFiles->front().sizeBytes, 0);
}

TEST_F(PresetDialog, SavedNamesAreCleanedBeforeSaving) {
    const std::vector<std::pair<std::string, std::string>> rows{{"default", "Default"},
                                                                {" a/b:c ", "a-b-c"},
                                                                {"..x", "-.x"},
                                                                {std::string(40, 'n'), std::string(30, 'n')},
                                                                {"Deep House Chords Progression 12", "Deep House Chords Progression"},
                                                                {"\xF0\x9F\x8E\xB9 Keys", "\xF0\x9F\x8E\xB9 Keys"}};
    for (const auto& [typed, saved] : rows) {
        std::filesystem::remove_all(lib.home());
        savePresetAs(typed);
        EXPECT_EQ(store->currentPresetName.get(), saved);
        EXPECT_EQ(store->presetDialogSaveName.get(), saved);
        EXPECT_EQ(presetNames(std::nullopt), (Names{saved}));
    }
}

TEST_F(PresetDialog, BlankNameIsRefused) {
    savePresetAs("  /  ");  // sanitises to "-", which is a name
    savePresetAs(" \t ");
    EXPECT_EQ(dialog().title, "Save preset");
    EXPECT_EQ(message(), "Preset name cannot be empty.");
    EXPECT_EQ(presetNames(std::nullopt), (Names{"-"}));
}

TEST_F(PresetDialog, OverwritingAsksAndIsAllowedAtTheCap) {
    for (int i = 0; i < kPresetCap; ++i) ASSERT_TRUE(writePresetFile(std::string("P").append(std::to_string(i)), std::nullopt, "{}"));
    savePresetAs("New");
    EXPECT_EQ(message(), "Max 100 presets reached.");
    EXPECT_EQ(dialog().kind, Kind::alert);

    setSwing(70);
    savePresetAs("p7");
    EXPECT_EQ(dialog().kind, Kind::confirm);
    EXPECT_EQ(dialog().title, "Save preset");
    EXPECT_EQ(message(), "Overwrite preset \"p7\" ?");
    EXPECT_EQ(dialog().confirmLabel, "Overwrite");
    EXPECT_TRUE(dialog().prefersGlobalAccent);
    EXPECT_EQ(TempLibrary::read(lib.home() / "P7.json"), "{}");  // nothing written before the answer
    confirm();
    EXPECT_FALSE(std::filesystem::exists(lib.home() / "P7.json"));
    EXPECT_EQ(model::PresetParser::parse(TempLibrary::read(lib.home() / "p7.json")).swingPercent, 70);
    EXPECT_EQ(totalPresetCount(), kPresetCap);
}

TEST_F(PresetDialog, FailedSavesSayCouldNotSaveAndChangeNothing) {
    store->currentPresetName.set("Before");
    encodingFails = true;
    savePresetAs("One");
    EXPECT_EQ(message(), "Could not save preset.");
    encodingFails = false;
    lib.blockLibraryLocation();
    savePresetAs("Two");
    EXPECT_EQ(message(), "Could not save preset.");
    EXPECT_EQ(store->currentPresetName.get(), "Before");
}

struct TapCase {
    const char* description;
    std::string secondName;
    double secondsBetween;
    bool closes;
};
void PrintTo(const TapCase& c, std::ostream* os) { *os << c.description; }

class PresetTaps : public PresetDialog, public ::testing::WithParamInterface<TapCase> {};

TEST_P(PresetTaps, EveryTapLoadsAndOnlyAQuickSecondTapOnTheSameRowCloses) {
    setSwing(55);
    ASSERT_TRUE(writePresetFile("Lead", std::nullopt, model::encodePreset(store->preset.get())));
    ASSERT_TRUE(writePresetFile("Bass", std::nullopt, model::encodePreset(store->preset.get())));
    setSwing(50);
    library->presentPresetDialog(store::PresetDialogMode::load);
    library->loadPresetFromDialog("Lead");
    EXPECT_EQ(store->preset->swingPercent, 55);
    EXPECT_TRUE(store->isPresetDialogPresented.get());
    main.clock().advanceSeconds(GetParam().secondsBetween);
    setSwing(50);
    library->loadPresetFromDialog(GetParam().secondName);
    EXPECT_EQ(store->preset->swingPercent, 55) << "the second tap loads too";
    EXPECT_EQ(store->currentPresetName.get(), GetParam().secondName);
    EXPECT_EQ(store->isPresetDialogPresented.get(), !GetParam().closes);
}

INSTANTIATE_TEST_SUITE_P(Taps, PresetTaps,
                         ::testing::Values(TapCase{"same row quickly", "Lead", 0.34, true}, TapCase{"same row slowly", "Lead", 0.35, false},
                                           TapCase{"other row quickly", "Bass", 0.1, false}));

TEST_F(PresetDialog, TapsInSaveModeOnlyFillTheName) {
    ASSERT_TRUE(writePresetFile("Lead", std::nullopt, test::corruptPresetJSON()));
    library->presentPresetDialog(store::PresetDialogMode::save);
    library->loadPresetFromDialog("Lead");
    EXPECT_EQ(store->presetDialogSaveName.get(), "Lead");
    EXPECT_EQ(store->presetDialogSelectedFile.get(), "Lead");
    EXPECT_FALSE(store->dialog.get().has_value());
}

TEST_F(PresetDialog, LoadFailuresKeepTheCurrentPreset) {
    ASSERT_TRUE(writePresetFile("Future", std::nullopt, test::newerPresetJSON()));
    ASSERT_TRUE(writePresetFile("Broken", std::nullopt, test::corruptPresetJSON()));
    store->currentPresetName.set("Mine");
    library->presentPresetDialog(store::PresetDialogMode::load);
    const struct {
        std::string name;
        std::string message;
    } cases[] = {{"Future", "\"Future\" was created with a newer version of Pulvan. Update the app to load it."},
                 {"Broken", "Could not load \"Broken\"."},
                 {"Missing", "Could not load \"Missing\"."}};
    for (const auto& c : cases) {
        library->loadPresetFromDialog(c.name);
        EXPECT_EQ(dialog().title, "Load preset");
        EXPECT_EQ(message(), c.message);
        EXPECT_EQ(store->currentPresetName.get(), "Mine");
        EXPECT_TRUE(store->isPresetDialogPresented.get());
    }
}

TEST_F(PresetDialog, ALoadThatDoesNotHappenLeavesTheHighlightOnTheLoadedPreset) {
    ASSERT_TRUE(writePresetFile("Mine", std::nullopt, validPresetJSON(52)));
    ASSERT_TRUE(writePresetFile("Bass", std::nullopt, validPresetJSON(55)));
    ASSERT_TRUE(writePresetFile("Future", std::nullopt, test::newerPresetJSON()));
    ASSERT_TRUE(writePresetFile("Broken", std::nullopt, test::corruptPresetJSON()));
    enum class Answer { none, load, cancel };
    const struct {
        std::string name;
        bool unsavedEdits;
        Answer answer;
        std::string message;  // empty: no alert
    } cases[] = {{"Future", false, Answer::none, "\"Future\" was created with a newer version of Pulvan. Update the app to load it."},
                 {"Broken", false, Answer::none, "Could not load \"Broken\"."},
                 {"Future", true, Answer::load, "\"Future\" was created with a newer version of Pulvan. Update the app to load it."},
                 {"Broken", true, Answer::load, "Could not load \"Broken\"."},
                 {"Missing", true, Answer::load, "Could not load \"Missing\"."},
                 {"Bass", true, Answer::cancel, ""},
                 {"Broken", true, Answer::cancel, ""}};
    store->currentPresetName.set("Mine");
    library->presentPresetDialog(store::PresetDialogMode::load);
    ASSERT_EQ(store->presetDialogSelectedFile.get(), "Mine");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + (c.unsavedEdits ? " over unsaved edits" : ""));
        main.clock().advanceSeconds(1);  // no double tap with the row before
        store->dialog.set(std::nullopt);
        if (c.unsavedEdits) editSwing(store->preset->swingPercent + 1);
        const int swing = store->preset->swingPercent;
        library->loadPresetFromDialog(c.name);
        if (c.answer != Answer::none) {
            EXPECT_EQ(message(), "Discard unsaved changes and load \"" + c.name + "\" ?");
            EXPECT_EQ(store->presetDialogSelectedFile.get(), c.name) << "the question shows the row it is about";
            c.answer == Answer::load ? confirm() : cancel();
        }
        if (c.message.empty()) {
            EXPECT_FALSE(store->dialog.get().has_value());
        } else {
            EXPECT_EQ(dialog().title, "Load preset");
            EXPECT_EQ(message(), c.message);
        }
        EXPECT_EQ(store->presetDialogSelectedFile.get(), "Mine");
        EXPECT_EQ(store->currentPresetName.get(), "Mine");
        EXPECT_EQ(store->preset->swingPercent, swing);
        EXPECT_TRUE(store->isPresetDialogPresented.get());
    }
}

TEST_F(PresetDialog, ADoubleTapOverUnsavedEditsAsksOnceAndLoadsAndClosesOnLoad) {
    ASSERT_TRUE(writePresetFile("Mine", std::nullopt, validPresetJSON(52)));
    ASSERT_TRUE(writePresetFile("Bass", std::nullopt, validPresetJSON(55)));
    const struct {
        const char* description;
        int taps;
        double secondsBetween;
        bool load;
        bool closes;
    } cases[] = {{"double tap, Load", 2, 0.2, true, true},
                 {"double tap, Cancel", 2, 0.2, false, false},
                 {"one tap, Load", 1, 0, true, false},
                 {"two slow taps, Load", 2, 0.35, true, false}};
    int edited = 60;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        store->dialog.set(std::nullopt);
        store->currentPresetName.set("Mine");
        library->presentPresetDialog(store::PresetDialogMode::load);
        editSwing(++edited);
        library->loadPresetFromDialog("Bass");
        const foundation::Uuid question = dialog().id;
        for (int tap = 1; tap < c.taps; ++tap) {
            main.clock().advanceSeconds(c.secondsBetween);
            library->loadPresetFromDialog("Bass");
        }
        EXPECT_EQ(store->preset->swingPercent, edited) << "nothing loads before the answer";
        EXPECT_EQ(message(), "Discard unsaved changes and load \"Bass\" ?");
        EXPECT_EQ(dialog().id == question, c.secondsBetween < PresetLibrary::doubleTapSeconds) << "a double tap asks once";
        c.load ? confirm() : cancel();
        EXPECT_EQ(store->preset->swingPercent, c.load ? 55 : edited);
        EXPECT_EQ(store->currentPresetName.get(), c.load ? "Bass" : "Mine");
        EXPECT_EQ(store->presetDialogSelectedFile.get(), c.load ? "Bass" : "Mine");
        EXPECT_EQ(store->isPresetDialogPresented.get(), !c.closes);
        EXPECT_FALSE(store->dialog.get().has_value());
    }
}

TEST_F(PresetDialog, DeletingClearsTheCurrentNameOnlyInItsFolder) {
    ASSERT_TRUE(writePresetFile("Lead", std::nullopt, "{}"));
    ASSERT_TRUE(writePresetFile("Lead", "Other", "{}"));
    store->currentPresetName.set("lead");
    store->currentPresetFolderName.reset();
    library->presentPresetDialog(store::PresetDialogMode::load);
    library->selectPresetDialogFolder("Other");
    library->presentDeletePresetDialog("Lead");
    EXPECT_EQ(message(), "Delete preset \"Lead\" ?");
    EXPECT_EQ(dialog().confirmLabel, "Delete");
    confirm();
    EXPECT_EQ(store->currentPresetName.get(), "lead") << "another folder's preset of that name";
    EXPECT_TRUE(store->presetDialogFolders.get()[1].deletable) << "the emptied folder can go now";

    library->selectPresetDialogFolder(std::string(kHomeFolderID));
    library->presentDeletePresetDialog("LEAD");
    confirm();
    EXPECT_EQ(store->currentPresetName.get(), "");
    EXPECT_TRUE(fileRows().empty());

    library->deletePresetConfirmed("Lead", std::nullopt);
    EXPECT_EQ(message(), "Could not delete \"Lead\".");
}

TEST_F(PresetDialog, OpensOnTheCurrentPresetsFolderAndFallsBackToHome) {
    ASSERT_TRUE(writePresetFile("Kick", "Drums", "{}"));
    ASSERT_TRUE(createPresetFolder("Empty"));
    store->currentPresetName.set("kick");
    store->currentPresetFolderName = "DRUMS";
    library->presentPresetDialog(store::PresetDialogMode::load);
    EXPECT_EQ(store->presetDialogFolders.get(), (std::vector<store::PresetDialogFolder>{{"__preset_home__", "Home", std::nullopt, false},
                                                                                        {"Drums", "Drums", "Drums", false},
                                                                                        {"Empty", "Empty", "Empty", true}}));
    EXPECT_EQ(store->presetDialogFolderID.get(), "Drums");
    EXPECT_EQ(store->presetDialogSelectedFile.get(), "Kick");

    std::filesystem::remove_all(lib.home() / "Drums");
    library->presentPresetDialog(store::PresetDialogMode::load);
    EXPECT_EQ(store->presetDialogFolderID.get(), "__preset_home__");
    EXPECT_EQ(store->presetDialogSelectedFile.get(), std::nullopt);
}

TEST_F(PresetDialog, FolderPromptCreatesSelectsAndRefusesDuplicates) {
    library->presentPresetDialog(store::PresetDialogMode::save);
    library->presentNewFolderPrompt();
    EXPECT_EQ(dialog().kind, Kind::prompt);
    EXPECT_EQ(message(), "Folder name:");
    EXPECT_EQ(dialog().placeholder, "Folder name");
    EXPECT_TRUE(dialog().promptRequiresNonEmptyInput);
    confirm(" Keys/Pads ");
    EXPECT_EQ(presetFolderEntries(), (Names{"Keys-Pads"}));
    EXPECT_EQ(store->presetDialogFolderID.get(), "Keys-Pads");

    const struct {
        std::string typed;
        std::string message;
    } refusals[] = {
        {"home", "\"home\" already exists."}, {"KEYS-PADS", "\"KEYS-PADS\" already exists."}, {"   ", "Folder name cannot be empty."}};
    for (const auto& r : refusals) {
        library->createFolderConfirmed(r.typed);
        EXPECT_EQ(dialog().title, "New folder");
        EXPECT_EQ(message(), r.message) << r.typed;
    }
    lib.blockLibraryLocation();
    library->createFolderConfirmed("Other");
    EXPECT_EQ(message(), "Could not create folder.");
}

TEST_F(PresetDialog, AFolderNameTheDiskCannotHoldIsRefused) {
    ASSERT_EQ(::pathconf(lib.base().c_str(), _PC_NAME_MAX), 255) << "the names are measured for a 255-byte limit";
    std::string name;
    for (int i = 0; i < 21; ++i) name += "\xF0\x9F\x8E\xB9";  // 252 bytes on disk
    library->createFolderConfirmed(name + "a#");              // 256
    EXPECT_EQ(message(), "Folder name is too long.");
    library->createFolderConfirmed(name + "aaa");  // 255
    EXPECT_EQ(presetFolderEntries(), (Names{name + "aaa"}));
}

TEST_F(PresetDialog, OnlyEmptyFoldersOfferDeletionAndHiddenFilesGoWithThem) {
    ASSERT_TRUE(createPresetFolder("Empty"));
    TempLibrary::write(lib.home() / "Empty" / ".hidden", "x");
    ASSERT_TRUE(writePresetFile("Kick", "Full", "{}"));
    library->presentPresetDialog(store::PresetDialogMode::load);
    library->selectPresetDialogFolder("Empty");

    for (const char* id : {"__preset_home__", "Full", "Nope"}) {
        library->presentDeleteFolderDialog(id);
        EXPECT_FALSE(store->dialog.get().has_value()) << id;
    }
    library->presentDeleteFolderDialog("Empty");
    EXPECT_EQ(message(), "Delete folder \"Empty\" ?");
    confirm();
    EXPECT_EQ(presetFolderEntries(), (Names{"Full"}));
    EXPECT_EQ(store->presetDialogFolderID.get(), "__preset_home__");

    library->deleteFolderConfirmed("Full");
    EXPECT_EQ(dialog().title, "Delete folder");
    EXPECT_EQ(message(), "Could not delete \"Full\".");
}

// Names made outside the program (or by earlier versions) with white space at an end are the
// same names as typed: the file loads, a save of its name asks and replaces that file, and the
// folder lists, takes and gives up its presets.
TEST_F(PresetDialog, NamesWithWhiteSpaceAtAnEndReachTheirFilesAndFolders) {
    TempLibrary::write(lib.home() / "Deep House Chords Progression .json", validPresetJSON(61));
    TempLibrary::write(lib.home() / "Drums " / "Kick.json", validPresetJSON(62));
    library->presentPresetDialog(store::PresetDialogMode::load);
    library->loadPresetFromDialog("Deep House Chords Progression ");
    EXPECT_FALSE(store->dialog.get().has_value());
    EXPECT_EQ(store->preset->swingPercent, 61);

    savePresetAs("Deep House Chords Progression 12");
    EXPECT_EQ(message(), "Overwrite preset \"Deep House Chords Progression\" ?");
    confirm();
    EXPECT_EQ(TempLibrary::entries(lib.home()), (Names{"Deep House Chords Progression.json", "Drums "}));

    library->presentPresetDialog(store::PresetDialogMode::save);
    library->selectPresetDialogFolder("Drums ");
    EXPECT_EQ(fileRows(), (Names{"Kick"}));
    savePresetAs("Snare");
    EXPECT_EQ(TempLibrary::entries(lib.home() / "Drums "), (Names{"Kick.json", "Snare.json"}));
    library->createFolderConfirmed("drums");
    EXPECT_EQ(message(), "\"drums\" already exists.");
    for (const char* name : {"Kick", "Snare"}) ASSERT_TRUE(deletePresetFile(name, "Drums "));
    library->deleteFolderConfirmed("Drums ");
    EXPECT_EQ(presetFolderEntries(), Names{});
}

// Files or folders whose names differ only in case or escaping come from copying presets in:
// each row reaches its own, and saving over one leaves its twin as it was.
TEST_F(PresetDialog, TwinsInCaseOrEscapingEachKeepTheirOwnFile) {
    const struct {
        std::string file, twin, saved;
    } rows[] = {{"bass.json", "Bass.json", "bass"},
                {"Bass.json", "bass.json", "Bass"},
                {"%3F.json", "?.json", "?"},
                {"PAD.json", "Pad.json", "pad"}};
    for (const auto& r : rows) {
        std::filesystem::remove_all(lib.home());
        TempLibrary::write(lib.home() / r.file, validPresetJSON(61));
        TempLibrary::write(lib.home() / r.twin, validPresetJSON(62));
        library->presentPresetDialog(store::PresetDialogMode::load);
        library->loadPresetFromDialog(r.saved);
        EXPECT_EQ(store->preset->swingPercent, 61) << r.saved;
        setSwing(70);
        savePresetAs(r.saved);
        confirm();
        EXPECT_EQ(model::PresetParser::parse(TempLibrary::read(lib.home() / r.twin)).swingPercent, 62) << r.saved;
        EXPECT_EQ(TempLibrary::entries(lib.home()).size(), 2u) << r.saved;
    }
}

TEST_F(PresetDialog, FoldersThatDifferOnlyInCaseEachListAndTakeTheirOwnPresets) {
    TempLibrary::write(lib.home() / "Drums" / "Kick.json", validPresetJSON(61));
    TempLibrary::write(lib.home() / "drums" / "Snare.json", validPresetJSON(62));
    library->presentPresetDialog(store::PresetDialogMode::save);
    library->selectPresetDialogFolder("drums");
    EXPECT_EQ(fileRows(), (Names{"Snare"}));
    savePresetAs("Hat");
    EXPECT_EQ(TempLibrary::entries(lib.home() / "drums"), (Names{"Hat.json", "Snare.json"}));
    library->presentPresetDialog(store::PresetDialogMode::load);
    EXPECT_EQ(store->presetDialogFolderID.get(), "drums");
    library->selectPresetDialogFolder("Drums");
    EXPECT_EQ(fileRows(), (Names{"Kick"}));
}

TEST_F(PresetDialog, AnsweringAfterTheLibraryIsGoneDoesNothing) {
    ASSERT_TRUE(writePresetFile("Lead", std::nullopt, "{}"));
    library->presentDeletePresetDialog("Lead");
    library.reset();
    confirm();
    EXPECT_TRUE(std::filesystem::exists(lib.home() / "Lead.json"));
}

}  // namespace
}  // namespace pulvan::library::test
