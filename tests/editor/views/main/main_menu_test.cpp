#include "editor/views/main/main_menu.h"

#include "editor/link/store_link.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::views {
namespace {

class MainMenuTest : public test::StoreTest {
protected:
    std::unique_ptr<store::SequencerStore> store = makeStore();
    link::StoreLink link{*store};
    foundation::Uuid anchor = foundation::Uuid::random();

    const store::DropdownRequest& openMenu() {
        topBarMainMenu(*store, anchor);
        return *store->dropdown.get();
    }
    // The label of each entry, "-" for a separator; a disabled entry in brackets, an active one starred.
    std::vector<std::string> shown() {
        std::vector<std::string> rows;
        for (const store::DropdownItem& item : openMenu().items) {
            std::string row = item.isSeparator ? "-" : item.label;
            if (item.disabled) row = "(" + row + ")";
            if (item.active) row += "*";
            rows.push_back(row);
        }
        return rows;
    }
    void choose(const std::string& label) {
        for (const store::DropdownItem& item : openMenu().items) {
            if (item.label == label) return item.action();
        }
        FAIL() << "no entry " << label;
    }
};

TEST_F(MainMenuTest, EntriesFollowTheClipboardAndLearnMode) {
    const std::vector<std::string> empty{"Initialize",
                                         "-",
                                         "Copy current pattern",
                                         "(Paste to current pattern)",
                                         "-",
                                         "Export all presets",
                                         "Import all presets",
                                         "Import one preset",
                                         "-",
                                         "MIDI Learn",
                                         "Settings",
                                         "Midi setup help",
                                         "About"};
    EXPECT_EQ(shown(), empty);
    const store::DropdownRequest& request = openMenu();
    EXPECT_EQ(request.anchorID, anchor);
    EXPECT_EQ(request.width, 200);
    EXPECT_TRUE(request.vertical && request.presetStyle);
    EXPECT_FALSE(request.verticalAlignLeading || request.opensUpward || request.sticky || request.chromeless);
    for (const store::DropdownItem& item : request.items) EXPECT_EQ(item.pressHighlight, !item.isSeparator);

    choose("Copy current pattern");
    std::vector<std::string> copied = empty;
    copied[3] = "Paste to current pattern";
    EXPECT_EQ(shown(), copied) << "asked again each time the menu opens";

    choose("MIDI Learn");
    EXPECT_TRUE(store->isMIDILearnActive.get());
    copied[9] = "Exit MIDI Learn*";
    EXPECT_EQ(shown(), copied);
}

TEST_F(MainMenuTest, InitializeLeavesTheEditedPresetOneUndoAway) {
    edit(*store, "Octave", 2);
    store->currentPresetName.set("Live set");
    const model::Preset edited = store->preset.get();
    choose("Initialize");
    EXPECT_NE(store->preset.get(), edited);
    EXPECT_EQ(store->preset->tracks[0].octave, 0);
    EXPECT_EQ(store->currentPresetName.get(), "");
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Initialize"}));
    EXPECT_TRUE(store->canUndo().get());
    store->undo();
    EXPECT_EQ(store->preset.get(), edited);
    store->redo();
    EXPECT_NE(store->preset.get(), edited);
}

TEST(CollapseMenuSeparators, KeepsOneBetweenEntriesAndNoneAtTheEnds) {
    struct Case {
        const char* items;  // "-" a separator, a letter an entry
        const char* kept;
    };
    const Case cases[] = {{"", ""}, {"---", ""}, {"-a--b-", "a-b"}, {"a-b-c", "a-b-c"}, {"ab--", "ab"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items);
        std::vector<store::DropdownItem> items;
        for (const char* p = c.items; *p; ++p) items.push_back({.label = std::string(1, *p), .isSeparator = *p == '-'});
        std::string kept;
        for (const store::DropdownItem& item : collapseMenuSeparators(items)) kept += item.label;
        EXPECT_EQ(kept, c.kept);
    }
}

}  // namespace
}  // namespace pulvan::views
