#include "editor/views/modals/preset_dialog.h"

#include "editor/views/modals/preset_file_size_label.h"
#include "editor/views/shell/kez_content.h"
#include "tests/editor/views/modals/modal_test_rig.h"
#include "tests/platform/ui/golden.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <filesystem>

namespace pulvan::views::test {
namespace {

using store::PresetDialogMode;

class PresetDialogTest : public ModalTest {
protected:
    ui::Harness& open(PresetDialogMode mode, ui::Size size = {1280, 730}) {
        if (mode == PresetDialogMode::save) library.presentSavePresetDialog();
        else library.presentPresetDialog(mode);
        show([] { return ui::View(PresetDialogHost{}); }, size);
        harness->advance(0.2);  // past the fade-in
        return *harness;
    }
    // Two clicks inside the double-tap time, as a user's double click.
    void doubleClick(const std::string& id) {
        harness->clickOn(id);
        harness->advance(0.1);
        harness->clickOn(id);
    }
    // Edits that the store can undo: work that a load would lose.
    void editSomething() {
        store.beginTransaction("Edit");
        store.preset.modify([](model::Preset& p) { p.swingPercent = 61; });
        store.endTransaction();
        ASSERT_TRUE(store.canUndo().get());
    }
};

TEST(PresetFileSizeLabel, DecimalUnitsAndNothingForNoSize) {
    const std::pair<std::optional<std::int64_t>, const char*> cases[] = {
        {std::nullopt, ""},
        {0, ""},
        {-5, ""},
        {1, "1 KB"},
        {499, "1 KB"},
        {1'499, "1 KB"},
        {1'500, "2 KB"},
        {3'411, "3 KB"},
        {999'499, "999 KB"},
        {999'500, "1 MB"},
        {1'250'000, "1.3 MB"},
        {12'000'000, "12 MB"},
        {5'000'000'000, "5,000 MB"},
        {123'456'789'012, "123,456.8 MB"},
    };
    for (const auto& [bytes, label] : cases) EXPECT_EQ(presetFileSizeLabel(bytes), label) << (bytes ? *bytes : -1);
}

TEST_F(PresetDialogTest, PanelSizeFollowsTheWindowWithinItsBounds) {
    const std::pair<ui::Size, ui::Size> cases[] = {
        {{1000, 600}, {820, 444}}, {{1400, 900}, {960, 620}}, {{600, 300}, {720, 410}}, {{1280, 730}, {960, 540.2}}};
    for (const auto& [window, panel] : cases) {
        open(PresetDialogMode::load, window);
        const ui::Rect frame = harness->frame("presetDialog.panel");
        EXPECT_NEAR(frame.width, panel.width, 1e-9) << window.width;
        EXPECT_NEAR(frame.height, panel.height, 1e-9) << window.height;
        EXPECT_NEAR(frame.midX(), window.width / 2, 1e-9);
    }
}

TEST_F(PresetDialogTest, ModesShowTheirOwnControls) {
    writePreset("Bass.json", 55);
    struct Case {
        PresetDialogMode mode;
        bool nameField, save, fileDelete;
    };
    for (const Case& c : {Case{PresetDialogMode::load, false, false, true}, Case{PresetDialogMode::save, true, true, false}}) {
        open(c.mode);
        EXPECT_EQ(harness->exists("presetDialog.nameField"), c.nameField);
        EXPECT_EQ(harness->exists("presetDialog.save"), c.save);
        EXPECT_EQ(harness->exists("presetDialog.default"), c.nameField);
        EXPECT_EQ(harness->exists("presetDialog.deleteFile.Bass"), c.fileDelete);
        EXPECT_TRUE(harness->exists("presetDialog.close"));
        EXPECT_FALSE(harness->exists("presetDialog.deleteFolder.__preset_home__"));
    }
    // The mode changes under an open dialog: header and delete icons follow.
    store.presetDialogMode.set(PresetDialogMode::load);
    harness->update();
    EXPECT_FALSE(harness->exists("presetDialog.nameField"));
    EXPECT_TRUE(harness->exists("presetDialog.deleteFile.Bass"));
}

TEST_F(PresetDialogTest, TheNameFieldHasTheFocusOnlyWhenOpenedBlankForSaving) {
    for (const char* current : {"", "Lead"}) {
        store.currentPresetName.set(current);
        open(PresetDialogMode::save);
        harness->type("x");
        EXPECT_EQ(store.presetDialogSaveName.get(), std::string(current) + (*current ? "" : "x")) << current;
    }
}

TEST_F(PresetDialogTest, ClearingTheNameEmptiesItAndFocusesTheField) {
    store.currentPresetName.set("Lead");
    open(PresetDialogMode::save);
    harness->clickOn("presetDialog.clearName");
    harness->advance(0.01);
    EXPECT_EQ(store.presetDialogSaveName.get(), "");
    EXPECT_FALSE(harness->exists("presetDialog.clearName"));
    harness->type("Pad");
    EXPECT_EQ(store.presetDialogSaveName.get(), "Pad");
}

TEST_F(PresetDialogTest, ABlankNameDimsSaveButReturnStillAsks) {
    open(PresetDialogMode::save);
    harness->type("   ");
    EXPECT_TRUE(harness->exists("presetDialog.clearName"));  // spaces count as text
    harness->key(XKB_KEY_Return);
    ASSERT_TRUE(store.dialog.get());
    EXPECT_EQ(store.dialog.get()->message, "Preset name cannot be empty.");
    store.dialog.set(std::nullopt);
    harness->clickOn("presetDialog.save");
    EXPECT_FALSE(store.dialog.get());
}

TEST_F(PresetDialogTest, SavingANewNameClosesAndAnExistingOneAsksFirst) {
    writePreset("Bass.json", 55);
    open(PresetDialogMode::save);
    harness->type("Keys");
    harness->clickOn("presetDialog.save");
    EXPECT_TRUE(std::filesystem::exists(folder.home() / "Keys.json"));
    EXPECT_FALSE(store.isPresetDialogPresented.get());

    store.currentPresetName.set("");
    open(PresetDialogMode::save);
    harness->type("bass");
    harness->clickOn("presetDialog.save");
    ASSERT_TRUE(store.dialog.get());
    EXPECT_EQ(store.dialog.get()->title, "Save preset");
    EXPECT_EQ(store.dialog.get()->message, "Overwrite preset \"bass\" ?");
    EXPECT_TRUE(store.isPresetDialogPresented.get());
}

TEST_F(PresetDialogTest, DefaultSelectsHomeAndHighlightsTheHomeDefaultInAnyCase) {
    writePreset("default.json", 52);
    writePreset("Sub/Arp.json", 53);
    open(PresetDialogMode::save);
    harness->clickOn("presetDialog.folder.Sub");
    EXPECT_EQ(store.presetDialogFolderID.get(), "Sub");
    harness->clickOn("presetDialog.default");
    EXPECT_EQ(store.presetDialogFolderID.get(), store::presetHomeFolderID);
    EXPECT_EQ(store.presetDialogSaveName.get(), "Default");
    EXPECT_EQ(store.presetDialogSelectedFile.get(), "default");
}

TEST_F(PresetDialogTest, ATapInSaveModeCopiesTheNameWithoutLoading) {
    writePreset("Bass.json", 55);
    open(PresetDialogMode::save);
    harness->clickOn("presetDialog.file.Bass");
    EXPECT_EQ(store.presetDialogSaveName.get(), "Bass");
    EXPECT_EQ(store.presetDialogSelectedFile.get(), "Bass");
    EXPECT_NE(swing(), 55);
}

TEST_F(PresetDialogTest, LoadTapsWithNothingToLose) {
    writePreset("Bass.json", 55);
    writePreset("Keys.json", 57);
    open(PresetDialogMode::load);
    ASSERT_FALSE(store.canUndo().get());
    harness->clickOn("presetDialog.file.Bass");
    EXPECT_EQ(swing(), 55);  // a single tap loads at once
    EXPECT_TRUE(store.isPresetDialogPresented.get());
    harness->advance(0.5);
    harness->clickOn("presetDialog.file.Keys");  // a freshly loaded preset: the next tap loads too
    EXPECT_EQ(swing(), 57);
    harness->advance(0.1);
    harness->clickOn("presetDialog.file.Keys");  // the second tap of a double tap closes
    EXPECT_FALSE(store.isPresetDialogPresented.get());
}

TEST_F(PresetDialogTest, ALoadOverUnsavedEditsAsksFirst) {
    writePreset("Bass.json", 55);
    writePreset("Keys.json", 57);
    struct Case {
        const char* name;
        std::function<void()> before;
        bool asks;
    };
    const Case cases[] = {
        {"an edit", [&] { editSomething(); }, true},
        {"an edit, then saved", [&] { editSomething(), library.savePreset("Mine", std::nullopt); }, false},
        {"an edit undone: the redo would be lost", [&] { editSomething(), store.undo(); }, true},
        {"an edit undone and redone after the save",
         [&] { library.savePreset("Mine", std::nullopt), editSomething(), store.undo(), store.redo(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        library.loadPresetFromDialog("Bass");
        c.before();
        const int before = swing();
        open(PresetDialogMode::load);
        harness->clickOn("presetDialog.file.Keys");
        EXPECT_EQ(store.presetDialogSelectedFile.get(), "Keys");
        if (!c.asks) {
            EXPECT_EQ(swing(), 57);
            continue;
        }
        ASSERT_TRUE(store.dialog.get());
        EXPECT_EQ(store.dialog.get()->title, "Load preset");
        EXPECT_EQ(store.dialog.get()->message, "Discard unsaved changes and load \"Keys\" ?");
        EXPECT_EQ(store.dialog.get()->confirmLabel, "Load");
        EXPECT_EQ(swing(), before);
        auto confirm = store.dialog.get()->onConfirm;
        store.dialog.set(std::nullopt);
        confirm("");
        EXPECT_EQ(swing(), 57);
        EXPECT_EQ(store.currentPresetName.get(), "Keys");
        EXPECT_TRUE(store.isPresetDialogPresented.get());
    }
}

TEST_F(PresetDialogTest, AConfirmedLoadOfAnUnreadableFileKeepsTheDialogAndTheWork) {
    library::test::TempLibrary::write(folder.home() / "Broken.json", library::test::corruptPresetJSON());
    open(PresetDialogMode::load);
    editSomething();
    harness->clickOn("presetDialog.file.Broken");
    ASSERT_TRUE(store.dialog.get());
    store.dialog.get()->onConfirm("");
    ASSERT_TRUE(store.dialog.get());
    EXPECT_EQ(store.dialog.get()->message, "Could not load \"Broken\".");
    EXPECT_TRUE(store.isPresetDialogPresented.get());
    EXPECT_EQ(swing(), 61);
}

// In the editor the question opens over the rows: the double click's second click lands on its backdrop,
// or on its panel when that covers the row.
TEST_F(PresetDialogTest, ADoubleClickOverUnsavedEditsKeepsTheQuestionAndItsAnswerFinishesTheDoubleClick) {
    writePreset("Bass.json", 55);
    writePreset("Keys.json", 57);
    writePreset("Pad.json", 58);
    writePreset("Zed.json", 59);
    const struct {
        const char* row;
        bool underThePanel;
        const char* answer;
        int loadedSwing;  // 0: nothing loads
    } cases[] = {{"Keys", false, "dialog.confirm", 57},
                 {"Zed", true, "dialog.confirm", 59},
                 {"Keys", false, "dialog.cancel", 0},
                 {"Zed", true, "backdrop", 0}};
    const auto answer = [&](const std::string& id) {
        if (id == "backdrop") harness->click({40, 40});  // beside the question, over the panel's margin
        else harness->clickOn(id);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.row) + ", " + c.answer);
        library.loadPresetFromDialog("Bass");
        if (const auto question = store.dialog.get()) {  // over the edits a cancelled row kept
            store.dialog.set(std::nullopt);
            question->onConfirm("");
        }
        library.presentPresetDialog(PresetDialogMode::load);
        show([this] { return ui::View(KezContent{}).environmentObject(store.playhead); }, {1280, 730});
        harness->advance(0.2);
        editSomething();
        const ui::Rect frame = harness->frame(std::string("presetDialog.file.") + c.row);
        const ui::Point row{frame.x + 60, frame.midY()};  // on the name
        harness->click(row);
        harness->advance(0.1);
        harness->click(row);
        harness->advance(0.2);
        ASSERT_TRUE(store.dialog.get()) << "the second click dismissed the question";
        EXPECT_EQ(store.dialog.get()->message, "Discard unsaved changes and load \"" + std::string(c.row) + "\" ?");
        EXPECT_EQ(harness->frame("dialog").contains(row), c.underThePanel);
        harness->advance(0.5);  // a later click is a click of its own
        answer(c.answer);
        harness->advance(0.2);
        EXPECT_FALSE(store.dialog.get());
        EXPECT_EQ(swing(), c.loadedSwing ? c.loadedSwing : 61);
        EXPECT_EQ(store.isPresetDialogPresented.get(), !c.loadedSwing) << "a confirmed double click closes";
        EXPECT_EQ(store.presetDialogSelectedFile.get(), c.loadedSwing ? c.row : "Bass");
    }
}

TEST_F(PresetDialogTest, NamesFromDiskShowAsPlainTextAndCaseTwinsLightOnce) {
    writePreset("Pad.json", 51);
    writePreset("pad.json", 52);
    writePreset("<b>Bold &amp; <u>.json", 53);
    writePreset("Caf\xE9.json", 54);  // Latin-1, not UTF-8
    open(PresetDialogMode::load);
    ASSERT_TRUE(harness->exists("presetDialog.file.Pad"));
    ASSERT_TRUE(harness->exists("presetDialog.file.pad"));
    ASSERT_TRUE(harness->exists("presetDialog.file.Caf\xC3\xA9"));  // read as Latin-1: "Café"
    // Each twin's delete removes its own file.
    EXPECT_TRUE(harness->exists("presetDialog.deleteFile.Pad"));
    EXPECT_TRUE(harness->exists("presetDialog.deleteFile.pad"));
    // The highlighted row is the one the library resolves the name to: the twin named exactly, else
    // the first.
    const auto lit = [this](const std::string& name) {
        const ui::Rect row = harness->frame("presetDialog.file." + name);
        const ui::Color c = harness->render().pixel(static_cast<int>(row.x + 4), static_cast<int>(row.midY()));
        return c.blue > 0.3;  // the accent fill, not the dark panel
    };
    for (const auto& [selected, first] : {std::pair{"pad", false}, std::pair{"PAD", true}}) {
        store.presetDialogSelectedFile.set(selected);
        harness->update();
        EXPECT_EQ(lit("Pad"), first) << selected;
        EXPECT_EQ(lit("pad"), !first) << selected;
    }
    expectMatchesGolden(harness->render(), "preset_dialog_disk_names");
}

TEST_F(PresetDialogTest, FoldersAreCreatedSelectedAndDeletedThroughTheStore) {
    writePreset("Full/Arp.json", 53);
    std::filesystem::create_directories(folder.home() / "Empty");
    open(PresetDialogMode::load);
    EXPECT_TRUE(harness->exists("presetDialog.noPresets"));  // home holds nothing
    EXPECT_TRUE(harness->exists("presetDialog.deleteFolder.Empty"));
    EXPECT_FALSE(harness->exists("presetDialog.deleteFolder.Full"));

    harness->clickOn("presetDialog.newFolder");
    ASSERT_TRUE(store.dialog.get());
    EXPECT_EQ(store.dialog.get()->title, "New folder");
    auto request = *store.dialog.get();
    store.dialog.set(std::nullopt);
    request.onConfirm("Drums");
    harness->update();
    EXPECT_TRUE(std::filesystem::is_directory(folder.home() / "Drums"));
    EXPECT_EQ(store.presetDialogFolderID.get(), "Drums");

    harness->clickOn("presetDialog.deleteFolder.Empty");
    ASSERT_TRUE(store.dialog.get());
    EXPECT_EQ(store.dialog.get()->message, "Delete folder \"Empty\" ?");
    request = *store.dialog.get();
    store.dialog.set(std::nullopt);
    request.onConfirm("");
    harness->update();
    EXPECT_FALSE(std::filesystem::exists(folder.home() / "Empty"));
    EXPECT_FALSE(harness->exists("presetDialog.folder.Empty"));

    harness->clickOn("presetDialog.folder.Full");
    harness->clickOn("presetDialog.deleteFile.Arp");
    ASSERT_TRUE(store.dialog.get());
    EXPECT_EQ(store.dialog.get()->message, "Delete preset \"Arp\" ?");
}

TEST_F(PresetDialogTest, BackdropAndCloseDismissButThePanelDoesNot) {
    for (const char* dismisser : {"presetDialog.backdrop", "presetDialog.close"}) {
        open(PresetDialogMode::load);
        harness->click({harness->frame("presetDialog.panel").midX(), harness->frame("presetDialog.panel").maxY() - 20});
        harness->key(XKB_KEY_Escape);
        EXPECT_TRUE(store.isPresetDialogPresented.get());
        harness->click(std::string(dismisser) == "presetDialog.backdrop" ? ui::Point{10, 10} : harness->center(dismisser));
        EXPECT_FALSE(store.isPresetDialogPresented.get()) << dismisser;
    }
}

TEST_F(PresetDialogTest, TheEditorShowsTheDialogOverItsWholeArea) {
    library.presentPresetDialog(PresetDialogMode::load);
    show([this] { return ui::View(KezContent{}).environmentObject(store.playhead); }, {1280, 730});
    harness->advance(0.2);
    EXPECT_EQ(harness->frame("presetDialog.panel").size(), (ui::Size{960, 540.2}));
    store.isPresetDialogPresented.set(false);
    harness->advance(0.2);
    EXPECT_FALSE(harness->exists("presetDialog.panel"));
}

TEST_F(PresetDialogTest, Golden) {
    writePreset("Bass.json", 55);
    writePreset("Keys.json", 57);
    writePreset("Lead.json", 58);
    writePreset("Live set/Arp.json", 53);
    std::filesystem::create_directories(folder.home() / "Sketches");
    store.currentPresetName.set("Keys");
    open(PresetDialogMode::load);
    expectMatchesGolden(harness->render(), "preset_dialog_load");
    store.currentPresetName.set("");
    open(PresetDialogMode::save, {1000, 600});
    harness->type("Night drive");
    expectMatchesGolden(harness->render(), "preset_dialog_save");
}

}  // namespace
}  // namespace pulvan::views::test
