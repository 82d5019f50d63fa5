#include "editor/views/main/track_tabs_view.h"

#include "bench/ui/damage_painter.h"
#include "platform/ui/harness.h"
#include "tests/editor/store/store_fixture.h"
#include "tests/editor/views/main/main_screen_rig.h"
#include "tests/platform/ui/golden.h"

#include <cmath>

namespace pulvan::views {
namespace {

class TrackTabsTest : public test::StoreTest {
protected:
    std::unique_ptr<store::SequencerStore> store = makeStore();

    ui::Harness harness(double width) {
        return ui::Harness([this] { return onScreen(TrackTabsView{}, *store); }, {width, 38});
    }
};

TEST_F(TrackTabsTest, TabsShareTheStripUpToTheirWidestAndScaleTheirInsides) {
    struct Case {
        int tracks;
        double stripWidth;
        double tabWidth;
        bool addButton, closeButtons;
    };
    const Case cases[] = {
        {1, 980, 174, true, false},
        {2, 980, 174, true, true},
        {3, 600, (600 - 93 - 6) / 3.0, true, true},
        {4, 600, (600 - 93 - 9) / 4.0, true, true},
        {5, 700, (700 - 93 - 12) / 5.0, true, true},
        {6, 980, (980 - 15) / 6.0, false, true},
        {6, 300, (300 - 15) / 6.0, false, true},  // inner scale held at 0.5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tracks << " tracks in " << c.stripWidth);
        setTrackCount(*store, c.tracks);
        auto h = harness(c.stripWidth);
        for (int i = 0; i < c.tracks; ++i) {
            const ui::Rect tab = h.frame("trackTab." + std::to_string(i));
            EXPECT_NEAR(tab.width, c.tabWidth, 0.01);
            EXPECT_NEAR(tab.height, 38, 0.01);
            EXPECT_NEAR(tab.x, i * (c.tabWidth + 3), 0.01);
            EXPECT_EQ(h.exists("trackTabClose." + std::to_string(i)), c.closeButtons);
        }
        EXPECT_EQ(h.exists("addTrackButton"), c.addButton);
        if (c.addButton) {
            EXPECT_NEAR(h.frame("addTrackButton").width, 90, 0.01);
        }
        if (c.closeButtons) {
            const double scale = std::clamp(c.tabWidth / 174, 0.5, 1.0);
            const ui::Rect close = h.frame("trackTabClose.0");
            EXPECT_NEAR(close.x + close.width, c.tabWidth - 6 * scale, 0.01) << "inset from the tab's trailing edge";
            EXPECT_NEAR(close.width, 32 * scale, 0.01);
        }
    }
}

TEST_F(TrackTabsTest, TapsSelectRenameDeleteAndAdd) {
    setTrackCount(*store, 3);
    auto h = harness(1244);
    const int entriesBefore = store->history().count();

    h.clickOn("trackTab.2");
    EXPECT_EQ(store->activeTrackIndex.get(), 2);
    EXPECT_FALSE(store->dialog->has_value());

    h.advance(1);
    h.clickOn("trackTab.1");
    h.advance(0.2);
    h.clickOn("trackTab.1");
    EXPECT_EQ(store->activeTrackIndex.get(), 1) << "the double tap selects before it asks";
    ASSERT_TRUE(store->dialog->has_value());
    EXPECT_EQ(store->dialog->value().title, "Rename track");
    EXPECT_EQ(store->dialog->value().initialText, store->preset->tracks[1].name);
    confirmDialog(*store, "Bass line");
    EXPECT_EQ(store->preset->tracks[1].name, "Bass line");
    EXPECT_EQ(store->history().count(), entriesBefore + 1);
    EXPECT_EQ(store->history().label(store->history().index()), "Rename track");
    h.update();

    h.advance(1);
    h.clickOn("trackTabClose.0");
    ASSERT_TRUE(store->dialog->has_value());
    EXPECT_EQ(store->dialog->value().title, "Delete track");
    EXPECT_EQ(store->activeTrackIndex.get(), 1) << "the close button does not select";
    store->dialog.set(std::nullopt);

    h.advance(1);
    const ui::Point add = h.center("addTrackButton");
    h.press(add);
    store->currentPresetName.set("changed while held");
    h.update();
    h.release(add);
    EXPECT_EQ(store->preset->tracks.size(), 4u);
    EXPECT_EQ(store->history().label(store->history().index()), "Add track");
    EXPECT_TRUE(h.exists("trackTab.3")) << "the new tab shows at once";
}

// The window repaints only what changed: the bar, drawn left of its reader, must still be repainted.
TEST_F(TrackTabsTest, TheActivityBarFollowsTheNotesOnItsOwn) {
    setTrackCount(*store, 2);
    store->activeTrackIndex.set(1);
    auto h = harness(600);
    ui::Bitmap window = h.render();
    for (const bool sounding : {true, false, true}) {
        SCOPED_TRACE(sounding);
        store->playhead.noteActiveTrackIDs.set(sounding ? std::set{store->preset->tracks[1].id} : std::set<foundation::Uuid>{});
        h.update();
        bench::paintDamage(h, window, 1);
        EXPECT_EQ(window.compare(h.render(), 2).differingPixels, 0);
    }
}

TEST_F(TrackTabsTest, LooksLikeTheStrip) {
    setTrackCount(*store, 3);
    store->preset.modify([](model::Preset& p) { p.tracks[1].name = "a very long name for one tab"; });
    store->activeTrackIndex.set(1);
    store->playhead.noteActiveTrackIDs.set({store->preset->tracks[0].id});
    ui::expectMatchesGolden(harness(1244).render(), "track_tabs_1244");

    setTrackCount(*store, 6);
    ui::expectMatchesGolden(harness(600).render(), "track_tabs_six_600");
}

}  // namespace
}  // namespace pulvan::views
