#include "editor/model/skin.h"
#include "editor/views/modals/global_settings_modal.h"
#include "editor/views/modals/settings_widgets.h"
#include "editor/views/modals/track_settings_modal.h"
#include "editor/views/shell/dropdown_keys.h"
#include "platform/ui/preferences.h"
#include "tests/editor/views/modals/modal_view_test.h"
#include "tests/platform/ui/golden.h"

#include <functional>

namespace pulvan::views {
namespace {

using store::DropdownItem;

std::vector<int> indicesWhere(const std::vector<DropdownItem>& items, bool DropdownItem::*flag) {
    std::vector<int> indices;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].*flag) indices.push_back(static_cast<int>(i));
    return indices;
}

TEST(CCDisplayName, NamesTheCommonControllersAndNumbersTheRest) {
    const std::pair<int, const char*> cases[] = {
        {0, "0"},
        {1, "1 Modulation Wheel"},
        {2, "2 Breath"},
        {3, "3"},
        {7, "7 Volume"},
        {10, "10 Pan"},
        {11, "11 Expression"},
        {64, "64 Sustain Pedal"},
        {65, "65 Portamento On/Off"},
        {66, "66 Sostenuto"},
        {67, "67 Soft Pedal"},
        {71, "71 Resonance"},
        {72, "72 Release Time"},
        {73, "73 Attack Time"},
        {74, "74 Brightness"},
        {91, "91 Reverb Send"},
        {93, "93 Chorus Send"},
        {127, "127"},
        {-3, "-3"},
    };
    for (const auto& [n, name] : cases) EXPECT_EQ(ccDisplayName(n), name) << n;
}

TEST(AccentColorHexLabel, SixLowerCaseDigitsOfTheClampedColour) {
    const std::pair<int, const char*> cases[] = {{0x3DC2D2, "3dc2d2"}, {0xA, "00000a"}, {-5, "000000"}, {0x1000000, "ffffff"}};
    for (const auto& [hex, label] : cases) EXPECT_EQ(accentColorHexLabel(hex), label) << hex;
}

// The modal with the anchors that its fields publish.
class SettingsModalTest : public ModalViewTest {
protected:
    DropdownAnchorKey::Value anchors;

    std::unique_ptr<ui::Harness> show(std::function<ui::View()> modal, ui::Size size) {
        return std::make_unique<ui::Harness>(
            [this, modal] {
                return modal()
                    .onPreferenceChange<DropdownAnchorKey>([this](const DropdownAnchorKey::Value& v) { anchors = v; })
                    .environmentObject(*store);
            },
            size);
    }
    // Opens a field's dropdown; the request must open under the field.
    const store::DropdownRequest& open(ui::Harness& h, const std::string& field) {
        static const store::DropdownRequest none;
        h.clickOn(field);
        if (!store->dropdown.get()) {
            ADD_FAILURE() << field << " opened no dropdown";
            return none;
        }
        const auto anchor = anchors.find(store->dropdown.get()->anchorID);
        EXPECT_NE(anchor, anchors.end());
        if (anchor != anchors.end()) {
            EXPECT_EQ(anchor->second.rootRect, h.frame(field));
        }
        return *store->dropdown.get();
    }
    void choose(ui::Harness& h, int item) {
        ASSERT_TRUE(store->dropdown.get());
        store->dropdown.get()->items.at(static_cast<std::size_t>(item)).action();
        store->dropdown.set(std::nullopt);
        h.update();
    }
};

class GlobalSettingsModalTest : public SettingsModalTest {
protected:
    std::unique_ptr<ui::Harness> h = show([] { return GlobalSettingsModal{}; }, {640, 330});
    void giveTracksTheDefaults() {
        store->preset.modify([&](model::Preset& p) {
            for (auto& t : p.tracks) t.ccA = 74, t.ccB = 71;
        });
        h->update();
    }
};

TEST_F(GlobalSettingsModalTest, DefaultControllerDropdownsListEveryControllerAndStoreWithoutUndo) {
    const std::tuple<const char*, int, int> cases[] = {{"defaultCCA", 74, 0}, {"defaultCCB", 71, 93}};  // field, active, choice
    for (const auto& [field, active, choice] : cases) {
        const auto& request = open(*h, field);
        ASSERT_EQ(request.items.size(), 128u);
        for (const auto& [i, label] : {std::pair{0, "0"}, {3, "3"}, {74, "74 Brightness"}, {127, "127"}})
            EXPECT_EQ(request.items[i].label, label);
        EXPECT_EQ(indicesWhere(request.items, &DropdownItem::active), std::vector<int>{active});
        EXPECT_EQ(indicesWhere(request.items, &DropdownItem::highlight), std::vector<int>{0});
        EXPECT_TRUE(request.presetStyle && request.width == 210);
        choose(*h, choice);
    }
    EXPECT_TRUE(undoLabels().empty());
    const auto reloaded = makeStore();  // the defaults are saved with the preferences
    for (const auto* s : {store.get(), reloaded.get()}) EXPECT_EQ(std::pair(s->defaultCCA.get(), s->defaultCCB.get()), std::pair(0, 93));
    ui::expectMatchesGolden(h->render(), "modals/global_settings_stored_preferences");
}

TEST_F(GlobalSettingsModalTest, ApplyIsEnabledOnlyWhileSomeTrackDiffersAndLeavesOneUndoEntry) {
    ui::expectMatchesGolden(h->render(), "modals/global_settings");
    giveTracksTheDefaults();
    struct Case {
        const char* name;
        std::function<void()> action;
        std::vector<std::string> undo;
    };
    const Case cases[] = {
        {"every track has the defaults: disabled", [&] { h->clickOn("apply"); }, {}},
        {"another default enables it", [&] { open(*h, "defaultCCA"), choose(*h, 20), h->clickOn("apply"); }, {"Apply default CCs"}},
        {"and it is disabled again", [&] { h->clickOn("apply"); }, {"Apply default CCs"}},
        {"an undo enables it again, the defaults stay", [&] { store->undo(), h->update(), h->clickOn("apply"); }, {"Apply default CCs"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        h->advance(1);
        c.action();
        EXPECT_EQ(undoLabels(), c.undo);
    }
    EXPECT_EQ(store->defaultCCA.get(), 20);
    for (const auto& t : store->preset->tracks) EXPECT_EQ(t.ccA, 20);
}

TEST_F(GlobalSettingsModalTest, TheUIMaxWidthSectionShowsOnlyWhenAsked) {
    EXPECT_FALSE(h->exists("uiMaxWidth"));
    const auto shown = show([] { return GlobalSettingsModal{.showsUIMaxWidth = true}; }, {640, 420});
    const ui::Rect field = shown->frame("uiMaxWidth");
    EXPECT_EQ(shown->frame("uiMaxWidthRecommendation").minX(), field.minX());
    EXPECT_EQ(field.minX() - shown->frame("defaultCCA").minX(), 0) << "under the other fields";
    const ui::Point p = field.center();
    shown->drag(p, {p.x, p.y + 25});
    EXPECT_EQ(store->uiMaxContentWidth.get(), 1850);
    ui::expectMatchesGolden(shown->render(), "modals/global_settings_ui_max_width");
}

class TrackSettingsModalTest : public SettingsModalTest {
protected:
    TrackSettingsModalTest() {
        store->preset.modify([](model::Preset& p) {
            p.tracks[0].name = "Bass";
            p.tracks[0].ccA = 1;
            p.tracks[0].ccB = 2;
            p.tracks[0].accentColorHex = model::defaultSkin().trackAccents()[0];
        });
    }
    std::unique_ptr<ui::Harness> h = show([] { return TrackSettingsModal{}; }, {420, 520});
    const model::Track& track() const { return store->preset->tracks[0]; }
};

TEST_F(TrackSettingsModalTest, EachFieldListsItsEntriesAndEachChoiceIsOneUndoStep) {
    const auto& palette = model::defaultSkin().trackAccents();
    struct Case {
        const char* field;
        std::size_t count;
        double width;
        std::vector<std::pair<int, std::string>> someLabels;
        std::vector<int> active;
        int choice;
        std::function<bool()> chosen;
    };
    const Case cases[] = {
        {"color",
         palette.size(),
         130,
         {{1, accentColorHexLabel(palette[1])}},
         {0},
         2,
         [&] { return track().accentColorHex == palette[2]; }},
        {"fill",
         4,
         180,
         {{0, "Empty"}, {1, "Circular"}, {2, "Circular +1 oct"}, {3, "Circular -1 oct"}},
         {2},
         1,
         [&] { return track().fillEmpty == model::FillEmpty::circular; }},
        {"ccA", 128, 210, {{0, "0"}, {1, "1 Modulation Wheel"}, {2, "2 Breath"}, {3, "3"}}, {1}, 74, [&] { return track().ccA == 74; }},
        {"ccB", 128, 210, {{74, "74 Brightness"}}, {2}, 71, [&] { return track().ccB == 71 && track().ccA == 74; }},
        {"portamentoCC", 128, 210, {{0, "0 OFF"}, {65, "65 Portamento On/Off"}}, {0}, 65, [&] { return track().portamentoCC == 65; }},
    };
    std::size_t steps = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        h->advance(1);
        const auto& request = open(*h, c.field);
        EXPECT_EQ(request.items.size(), c.count);
        EXPECT_EQ(request.width, c.width);
        EXPECT_FALSE(request.presetStyle);
        for (const auto& [i, label] : c.someLabels) EXPECT_EQ(request.items.at(static_cast<std::size_t>(i)).label, label);
        EXPECT_EQ(indicesWhere(request.items, &DropdownItem::active), c.active);
        choose(*h, c.choice);
        EXPECT_TRUE(c.chosen());
        EXPECT_EQ(undoLabels(), std::vector<std::string>(++steps, "Track settings"));
    }
    open(*h, "color");
    for (std::size_t i = 0; i < palette.size(); ++i) {
        EXPECT_EQ(store->dropdown.get()->items[i].optionBackgroundColor, palette[i]);
        EXPECT_EQ(store->dropdown.get()->items[i].optionForegroundColor, 0x000000);
    }
    choose(*h, 2);
    EXPECT_EQ(undoLabels().size(), steps) << "choosing the active entry records nothing";
}

TEST_F(TrackSettingsModalTest, PortamentoValueRowsFollowThePortamentoController) {
    EXPECT_FALSE(h->exists("portamentoOn"));
    open(*h, "portamentoCC"), choose(*h, 65);
    EXPECT_TRUE(h->exists("portamentoOn"));
    EXPECT_TRUE(h->exists("portamentoOff"));
    const ui::Point p = h->center("portamentoOff");
    h->drag(p, {p.x, p.y - 50});
    EXPECT_EQ(track().portamentoOffValue, 10);
    EXPECT_EQ(undoLabels(), (std::vector<std::string>{"Track settings", "Portamento CC value"}));
    ui::expectMatchesGolden(h->render(), "modals/track_settings_portamento");
    open(*h, "portamentoCC"), choose(*h, 0);
    EXPECT_FALSE(h->exists("portamentoOn"));
}

TEST_F(TrackSettingsModalTest, AScrubWhoseRowLeavesClosesItsTransaction) {
    store->preset.modify([](model::Preset& p) {
        p.tracks.resize(2, p.tracks[0]);
        p.tracks[0].portamentoCC = 65;
        p.tracks[1].portamentoCC = 0;
    });
    h->update();
    const ui::Point p = h->center("portamentoOn");
    h->press(p);
    h->move({p.x, p.y + 40});
    ASSERT_EQ(store->txnDepth, 1);
    store->activeTrackIndex.set(1);
    h->update();
    EXPECT_FALSE(h->exists("portamentoOn"));
    EXPECT_EQ(store->txnDepth, 0);
    EXPECT_EQ(undoLabels(), std::vector<std::string>{"Portamento CC value"});
    h->release({p.x, p.y + 40});
}

TEST_F(TrackSettingsModalTest, AColourOutsideThePaletteIsShownAndNoEntryIsActive) {
    store->preset.modify([](model::Preset& p) { p.tracks[0].accentColorHex = 0x3DC2D3; });
    h->update();
    EXPECT_TRUE(indicesWhere(open(*h, "color").items, &DropdownItem::active).empty());
    store->dropdown.set(std::nullopt);
    h->update();
    ui::expectMatchesGolden(h->render(), "modals/track_settings_off_palette");
}

TEST_F(TrackSettingsModalTest, RenameAsksTheStoreForItsPromptAndCloseCloses) {
    store->setActiveModal(store::KezModal::settings);
    h->clickOn("modal.close");
    EXPECT_EQ(store->activeModal().get(), std::nullopt);
    h->clickOn("rename");
    ASSERT_TRUE(store->dialog.get());
    EXPECT_EQ(store->dialog.get()->title, "Rename track");
    EXPECT_EQ(store->dialog.get()->initialText, "Bass");
}

}  // namespace
}  // namespace pulvan::views
