#include "editor/views/main/top_bar.h"

#include "editor/library/preset_library.h"
#include "editor/link/store_link.h"
#include "editor/views/shell/dropdown_host.h"
#include "editor/views/shell/editor_services.h"
#include "editor/views/shell/kez_root_view.h"
#include "platform/ui/harness.h"
#include "platform/ui/layout.h"
#include "platform/ui/preferences.h"
#include "tests/editor/store/store_fixture.h"
#include "tests/editor/views/main/main_screen_rig.h"
#include "tests/editor/views/recorded_services.h"
#include "tests/platform/ui/golden.h"

namespace pulvan::views {
namespace {

// The bar as the editor lays it out (padded 16 and 20 at the sides of a 1280-point design), with the
// dropdowns it opens shown next to their anchors.
struct BarWithDropdowns {
    DropdownAnchorKey::Value* published;

    ui::View body(ui::BuildContext& context) const {
        const auto anchors = context.state<DropdownAnchorKey::Value>({});
        return ui::zstack({ui::unit::topLeading}, TopBar{}.padding({.top = 12, .leading = 16, .trailing = 20}), DropdownHost{anchors.get()})
            .frame({.maxWidth = ui::infinity, .maxHeight = ui::infinity, .alignment = ui::unit::topLeading})
            .onPreferenceChange<DropdownAnchorKey>([anchors, published = published](const DropdownAnchorKey::Value& value) {
                *published = value;
                anchors.set(value);
            });
    }
};

class TopBarTest : public test::StoreTest {
protected:
    std::unique_ptr<store::SequencerStore> store = makeStore();
    link::StoreLink link{*store};
    library::PresetLibrary library{*store, {}};
    RecordedServices services{library, store.get()};
    double zoomScale = 1;
    DropdownAnchorKey::Value anchors;

    // Where the open dropdown's anchor lies: the dropdown host places the panel next to it.
    ui::Rect openDropdownAnchor() const { return anchors.at(store->dropdown.get()->anchorID).rootRect; }

    std::unique_ptr<ui::Harness> show(bool hosted, double scale = 1) {
        store->isHostedUI.set(hosted);
        return std::make_unique<ui::Harness>(
            [this] {
                return onScreen(BarWithDropdowns{&anchors}, *store)
                    .environmentObject<EditorServices>(services)
                    .environment<HostedZoomScaleKey>(zoomScale);
            },
            ui::Size{1280, 730}, scale);
    }
    std::vector<std::string> undoLabels() const { return store->history().labels(); }
};

TEST_F(TopBarTest, EachSettingShowsItsOwnControls) {
    struct Case {
        const char* name;
        bool hosted, resizable, recordAvailable, learning;
        std::vector<std::string> present, absent;
    };
    const Case cases[] = {
        {"standalone", false, true, true, false, {"topBar.appPlay"}, {"topBar.record", "topBar.exitMIDILearn"}},
        {"hosted", true, true, true, false, {"topBar.record"}, {"topBar.appPlay"}},
        {"hosted without recording", true, true, false, false, {}, {"topBar.record", "topBar.appPlay"}},
        {"learning", false, false, true, true, {"topBar.exitMIDILearn"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store->hostedMIDIRecordAvailable = c.recordAvailable;
        store->isMIDILearnActive.set(c.learning);
        auto h = show(c.hosted);
        for (const auto& id : c.present) EXPECT_TRUE(h->exists(id)) << id;
        for (const auto& id : c.absent) EXPECT_FALSE(h->exists(id)) << id;
        // Left to right, as the row is read.
        std::vector<std::string> order{"topBar.logo",   "topBar.notePool", "topBar.swing", "topBar.undo", "topBar.redo",
                                       "topBar.resync", "topBar.presets",  "topBar.save",  "topBar.menu"};
        for (std::size_t i = 1; i < order.size(); ++i) EXPECT_LT(h->frame(order[i - 1]).x, h->frame(order[i]).x) << order[i];
        EXPECT_NEAR(h->frame("topBar.menu").x + h->frame("topBar.menu").width, 1260, 0.5) << "pushed to the right edge";
    }
}

TEST_F(TopBarTest, ButtonsReachTheStoreAndTheComposition) {
    auto h = show(false);
    struct Case {
        const char* button;
        std::function<bool()> done;
    };
    const Case cases[] = {
        {"topBar.notePool", [&] { return store->activeModal().get() == store::KezModal::notesPool; }},
        {"topBar.notePool", [&] { return !store->activeModal().get().has_value(); }},
        {"topBar.appPlay", [&] { return services.calls == std::vector<std::string>{"start"}; }},
        {"topBar.resync", [&] { return !store->resyncModeActive.get(); }},  // standalone: nothing to resync
        {"topBar.presets",
         [&] { return store->isPresetDialogPresented.get() && store->presetDialogMode.get() == store::PresetDialogMode::load; }},
        {"topBar.save",
         [&] { return store->isPresetDialogPresented.get() && store->presetDialogMode.get() == store::PresetDialogMode::save; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        store->isPresetDialogPresented.set(false);
        h->update();
        h->clickOn(c.button);
        h->advance(1);
        EXPECT_TRUE(c.done());
    }
    store->isMIDILearnActive.set(true);
    h->update();
    h->clickOn("topBar.exitMIDILearn");
    EXPECT_FALSE(store->isMIDILearnActive.get());
}

TEST_F(TopBarTest, HostedRecordAndResyncArm) {
    bool resyncArmed = false;
    store->hooks.hostedAppPlaySetResyncArmed = [&](bool armed) { resyncArmed = armed; };
    store->hooks.hostedAppPlayMeasureProgress = [] { return 0.25; };
    auto h = show(true);
    h->clickOn("topBar.record");
    EXPECT_EQ(services.calls, std::vector<std::string>{"record"});
    h->advance(1);
    h->clickOn("topBar.resync");
    EXPECT_TRUE(resyncArmed);
    EXPECT_TRUE(store->resyncModeActive.get());
}

TEST_F(TopBarTest, ASwingDragIsOneUndoStepOnlyWhenItChangesTheSwing) {
    auto h = show(false);
    const ui::Point knob = h->center("topBar.swing");
    const auto before = undoLabels();
    h->drag(knob, {knob.x + 30, knob.y}, 6);  // sideways: the swing stays
    EXPECT_EQ(store->preset->swingPercent, 50);
    EXPECT_EQ(undoLabels(), before);
    h->advance(1);
    h->drag(knob, {knob.x, knob.y - 40}, 6);
    EXPECT_GT(store->preset->swingPercent, 50);
    auto after = before;
    after.push_back("Swing");
    EXPECT_EQ(undoLabels(), after);
    EXPECT_EQ(store->txnDepth, 0);

    h->advance(1);
    h->clickOn("topBar.undo");
    EXPECT_EQ(store->preset->swingPercent, 50);
    h->advance(1);
    h->clickOn("topBar.redo");
    EXPECT_GT(store->preset->swingPercent, 50);

    const int swing = store->preset->swingPercent;
    h->advance(1);
    h->press(knob);
    h->move({knob.x, knob.y - 40});
    h->move(knob);
    h->release(knob);
    EXPECT_EQ(store->preset->swingPercent, swing);
    EXPECT_EQ(undoLabels(), after) << "a drag that ends where it began";
    EXPECT_EQ(store->txnDepth, 0);
}

TEST_F(TopBarTest, TheMenuOpensAtItsButton) {
    auto h = show(false);
    h->clickOn("topBar.menu");
    EXPECT_EQ(openDropdownAnchor(), h->frame("topBar.menu"));
    h->advance(0.5);  // the panel fades in
    ui::expectMatchesGolden(h->render(), "top_bar_menu_open");
}

TEST_F(TopBarTest, TheHostedLogoZoomsWithinTheScreen) {
    std::vector<ui::Size> resizes;
    store->hooks.hostedRequestEditorResize = [&](double w, double h) { resizes.push_back({w, h}); };
    services.screen = ui::Rect{0, 25, 1728, 1079};
    zoomScale = 1.1;
    auto h = show(true);
    h->clickOn("topBar.logo");
    ASSERT_TRUE(store->dropdown->has_value());
    EXPECT_TRUE((*store->dropdown.get()).items[2].active) << "100% at a scale of 1.1";
    EXPECT_EQ(openDropdownAnchor(), h->frame("topBar.logo"));
    h->clickOn("dropdown.item.200%");
    EXPECT_EQ(resizes, (std::vector<ui::Size>{ui::Size{1728, 986}}));
    EXPECT_EQ(store->hostedWindowWidth, 1728);

    store->hooks.hostedRequestEditorResize = nullptr;
    h->advance(1);
    h->clickOn("topBar.logo");
    EXPECT_FALSE(store->dropdown->has_value()) << "without the host's resize the logo is plain";
}

TEST_F(TopBarTest, LooksLikeTheBar) {
    store->preset.modify([](model::Preset& p) { p.notesPool = {60, 63, 67, 70, 72, 75, 79, 82, 84}; });
    ui::expectMatchesGolden(show(false)->render(), "top_bar_standalone");
    store->hostedMIDIRecordMode.set(store::HostedMIDIRecordMode::recording);
    store->hostedMIDIRecordMeasureProgress.set(0.5);
    store->preset.modify([](model::Preset& p) { p.notesPool = {48, 52, 55}; });
    ui::expectMatchesGolden(show(true, 1.5)->render(), "top_bar_hosted_recording_1.5x");
}

// The whole editor at 1x, on a display of two pixels a point and scaled to 0.55 in a host's window:
// borders and dots on whole pixels, text with its spaces.
TEST_F(TopBarTest, TheTopOfTheEditorInBothSettings) {
    setTrackCount(*store, 4);
    store->activeTrackIndex.set(1);
    store->preset.modify([](model::Preset& p) {
        model::Pattern& pattern = p.tracks[1].patterns[0];
        for (std::size_t i = 0; i < 16; ++i) {
            pattern.lane(model::LaneKind::gate).steps[i] = i % 3 != 2;
            pattern.lane(model::LaneKind::tie).steps[i] = i % 5 == 1 ? 1 : i % 7 == 3 ? 2 : 0;
        }
    });
    const auto editor = [this](bool hosted, ui::Size window, double scale) {
        return ui::Harness([this, hosted] { return KezRootView{*store, services, hosted}; }, window, scale);
    };
    ui::expectMatchesGolden(editor(false, {1280, 730}, 1).render(), "editor_top_standalone_1280x730");
    ui::expectMatchesGolden(editor(false, {1280, 730}, 2).render(), "editor_top_standalone_1280x730_2x");
    store->hooks.hostedRequestEditorResize = [](double, double) {};
    ui::expectMatchesGolden(editor(true, {960, 548}, 1).render(), "editor_top_hosted_960x548");
    ui::expectMatchesGolden(editor(true, {704, 402}, 1).render(), "editor_top_hosted_0.55x");
}

}  // namespace
}  // namespace pulvan::views
