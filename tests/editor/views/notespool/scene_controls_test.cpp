#include "editor/views/notespool/notes_pool_layout.h"
#include "editor/views/notespool/scene_launch_resolution.h"
#include "editor/views/notespool/scene_pattern_change.h"
#include "editor/views/shell/launch_resolution.h"
#include "platform/ui/harness.h"
#include "tests/editor/store/store_fixture.h"
#include "tests/platform/ui/golden.h"

namespace pulvan::views {
namespace {

class SceneControlsTest : public test::StoreTest {};

TEST(NotesPoolLayout, WidthsFollowTheViewport) {
    struct Case {
        double viewport, panel, content, cell, resolutionDropdown;
    };
    const Case cases[] = {
        {300, 360, 324, (324 - 96) / 13.0, 98}, {359.9, 360, 324, (324 - 96) / 13.0, 98}, {360, 360, 324, (324 - 96) / 13.0, 98},
        {700, 700, 664, (664 - 96) / 13.0, 98}, {1080, 1080, 1044, 72.923, 141.846},      {2000, 1080, 1044, 72.923, 141.846},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.viewport);
        const auto layout = NotesPoolLayout::forViewport(c.viewport);
        EXPECT_DOUBLE_EQ(layout.panelWidth, c.panel);
        EXPECT_DOUBLE_EQ(layout.contentWidth, c.content);
        EXPECT_NEAR(layout.cellWidth, c.cell, 0.001);
        EXPECT_NEAR(std::max(layout.span(NotesPoolLayout::resolutionSpan) - 2 * NotesPoolLayout::resolutionInset, 98.0),
                    c.resolutionDropdown, 0.001);
        EXPECT_NEAR(layout.span(13), layout.contentWidth, 1e-9) << "thirteen columns fill the content";
    }
    EXPECT_EQ(NotesPoolLayout::progressionFillerColumns(), 6);
    EXPECT_EQ(NotesPoolLayout::patternFillerColumns(), 4);
    EXPECT_EQ(NotesPoolLayout{}.span(0), 0);
    EXPECT_EQ(NotesPoolLayout::resolutionInsetIn(0.5), 0);
    EXPECT_EQ(NotesPoolLayout::resolutionInsetIn(9), 4);
    EXPECT_EQ(NotesPoolLayout::resolutionInsetIn(100), 6);
}

TEST_F(SceneControlsTest, ResolutionDropdown) {
    struct Case {
        int stored;
        const char* label;
        std::vector<bool> active;  // 16, 8, 4, 1
    };
    const Case cases[] = {{16, "1/16", {true, false, false, false}},
                          {1, "1 bar", {false, false, false, true}},
                          {4, "1/4", {false, false, true, false}},
                          {2, "1/16", {false, false, false, false}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        auto store = makeStore();
        store->preset.modify([&](model::Preset& p) { p.sceneLaunchResolution = c.stored; });
        EXPECT_EQ(launchResolutionLabel(c.stored), c.label);
        const auto anchor = foundation::Uuid::random();
        ui::Harness h(
            [&] {
                return SceneLaunchResolutionButton{.width = 134, .anchorID = anchor, .dropdownWidth = 98}.asView().environmentObject(
                    *store);
            },
            {200, 40});
        h.clickOn("sceneLaunchResolution");
        ASSERT_TRUE(store->dropdown.get().has_value());
        const store::DropdownRequest request = *store->dropdown.get();
        EXPECT_EQ(request.anchorID, anchor);
        EXPECT_EQ(request.width, 98);
        EXPECT_TRUE(request.presetStyle);
        std::vector<std::string> labels;
        std::vector<bool> active;
        for (const auto& item : request.items) labels.push_back(item.label), active.push_back(item.active);
        EXPECT_EQ(labels, (std::vector<std::string>{"1/16", "1/8", "1/4", "1 bar"}));
        EXPECT_EQ(active, c.active);
        request.items[0].action();
        EXPECT_EQ(store->preset->sceneLaunchResolution, 16);
    }
}

TEST_F(SceneControlsTest, PatternChoicesAndAutoResync) {
    auto store = makeStore();
    while (store->preset->tracks.size() < 4) store->addTrack();
    store->resetHistory();
    const auto layout = NotesPoolLayout::forViewport(1080);
    ui::Harness h([&] { return ScenePatternChangeSection{.layout = layout}.asView().environmentObject(*store); }, {1080, 400});
    store->setScenePatternIndex(3, 0);
    h.update();
    ui::expectMatchesGolden(h.render(), "scene_pattern_change");
    EXPECT_TRUE(h.exists("scenePattern3_8"));
    EXPECT_FALSE(h.exists("scenePattern4_1")) << "a row per shown track";
    struct Step {
        const char* tap;
        std::optional<int> trackOnePattern;
        bool resync;
        const char* label;
    };
    const bool resync = store->preset->resyncOnNewScene;
    const Step steps[] = {
        {"scenePattern1_5", 5, resync, "Chord pattern"},
        {"scenePattern1_2", 2, resync, "Chord pattern"},
        {"scenePattern1_2", std::nullopt, resync, "Chord pattern"},
        {"autoResync", std::nullopt, !resync, "Scene resync"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.tap);
        const int before = store->history().count();
        h.clickOn(s.tap);
        EXPECT_EQ(store->scenePatternIndex(1), s.trackOnePattern);
        EXPECT_EQ(store->preset->resyncOnNewScene, s.resync);
        EXPECT_EQ(store->history().count(), before + 1);
        EXPECT_EQ(store->history().label(store->history().index()), s.label);
    }
    toggleScenePattern(*store, 4, 1);
    toggleScenePattern(*store, 0, 9);
    EXPECT_EQ(store->history().count(), 6) << "out-of-range toggles do nothing";
}

}  // namespace
}  // namespace pulvan::views
