#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

#include <cmath>

namespace pulvan::test {

using store::HostedMIDIRecordMode;

TEST_F(StoreTest, ResyncArmsOnceInAHostWithTheMeasureProgressClamped) {
    for (auto [progress, shown] : std::vector<std::pair<double, double>>{{1.4, 1.0}, {0.3, 0.3}, {-2.0, 0.0}, {std::nan(""), 0.0}}) {
        auto store = makeStore();
        int arms = 0;
        store->hooks.hostedAppPlaySetResyncArmed = [&](bool armed) { arms += armed; };
        store->hooks.hostedAppPlayMeasureProgress = [progress] { return progress; };
        store->armResync();
        EXPECT_EQ(arms, 0) << "standalone: nothing";
        store->isHostedUI.set(true);
        store->armResync();
        store->armResync();
        EXPECT_EQ(arms, 1);
        EXPECT_EQ(store->playhead.resyncMeasureProgress.get(), shown) << progress;
    }
}

TEST_F(StoreTest, TheRecordButtonsProgressRisesWhileArmingAndFallsWhileStopping) {
    struct Case {
        HostedMIDIRecordMode mode;
        double measure;
        std::optional<double> shown;
    };
    const std::vector<Case> cases{{HostedMIDIRecordMode::idle, 0.5, std::nullopt},
                                  {HostedMIDIRecordMode::armStart, 3.0, 1.0},
                                  {HostedMIDIRecordMode::recording, 0.5, std::nullopt},
                                  {HostedMIDIRecordMode::armStop, 0.25, 0.75},
                                  {HostedMIDIRecordMode::armStop, -0.5, 1.0}};
    auto store = makeStore();
    for (const Case& c : cases) {
        store->hostedMIDIRecordMode.set(c.mode);
        store->hostedMIDIRecordMeasureProgress.set(c.measure);
        EXPECT_EQ(store->hostedMIDIRecordProgress(), c.shown) << static_cast<int>(c.mode) << " " << c.measure;
    }
}

TEST_F(StoreTest, InitialisingHandsTheLinkADefaultPresetWithTheDefaultCCs) {
    auto store = makeStore(threeTrackPreset());
    std::vector<model::Preset> applied;
    store->linkHooks.applyPreset = [&](model::Preset p) { applied.push_back(std::move(p)); };
    store->currentPresetName.set("Song");
    store->currentPresetFolderName = "Live";
    store->setDefaultCCs(10, 11);
    store->initializePreset();
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].tracks.size(), 1u);
    EXPECT_EQ(std::make_pair(applied[0].tracks[0].ccA, applied[0].tracks[0].ccB), std::make_pair(10, 11));
    EXPECT_EQ(store->currentPresetName.get(), "");
    EXPECT_FALSE(store->currentPresetFolderName.has_value());
}

TEST_F(StoreTest, InitialisingWithoutAnEngineLinkAppliesTheDefaultPresetThroughTheStore) {
    auto store = makeStore(threeTrackPreset());
    store->beginTransaction("Rename track");
    store->preset.modify([](model::Preset& p) { p.tracks[1].name = "Bass"; });
    store->endTransaction();
    store->activeTrackIndex.set(2);
    store->setActiveModal(store::KezModal::settings);
    store->currentPresetName.set("Song");
    store->setDefaultCCs(10, 11);
    store->initializePreset();
    ASSERT_EQ(store->preset->tracks.size(), 1u);
    EXPECT_EQ(std::make_pair(store->preset->tracks[0].ccA, store->preset->tracks[0].ccB), std::make_pair(10, 11));
    EXPECT_EQ(store->activeTrackIndex.get(), 0);
    EXPECT_FALSE(store->activeModal().get().has_value());
    EXPECT_EQ(store->currentPresetName.get(), "");
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Initialize"})) << "a fresh history";
    store->undo();
    EXPECT_EQ(store->preset->tracks[1].name, "Bass") << "the work is one undo away";
}

// Initialize replaced the selections with the preset: crossing it in the history brings back the ones
// of the other side, and the engine's refresh plays them; edits on either side leave them alone.
TEST_F(StoreTest, UndoingInitializeBringsBackTheSelectionsAndSceneAndRedoTheInitialisedOnes) {
    struct Case {
        const char* name;
        std::vector<store::TrackSelection> shown;  // per track of the three
        int scene;
        int track;
        int editsAfter;
    };
    const std::vector<Case> cases{
        {"a pattern and a page on every track", {{2, 1}, {5, 0}, {7, 3}}, 0, 0, 0},
        {"the chord scene", {{0, 0}, {0, 0}, {0, 0}}, 3, 0, 0},
        {"the active track", {{0, 0}, {0, 0}, {0, 0}}, 0, 2, 0},
        {"all three, with edits after Initialize", {{4, 2}, {0, 0}, {1, 1}}, 5, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto store = makeStore(threeTrackPreset());
        edit(*store, "Octave", 1);
        for (std::size_t i = 0; i < c.shown.size(); ++i) {
            store->selections.modify([&](auto& map) { map[store->preset->tracks[i].id] = c.shown[i]; });
        }
        store->activeSceneIndex.set(c.scene);
        store->activeTrackIndex.set(c.track);
        const model::Preset edited = store->preset.get();
        const auto shown = store->selections.get();
        std::vector<int> playedPattern;
        store->appPlayConfigurationRefresh = [&](bool, const std::set<int>&) { playedPattern.push_back(store->activePatternIndex()); };

        store->initializePreset();
        for (int i = 0; i < c.editsAfter; ++i) edit(*store, "Octave", 2 + i);
        const model::Preset initialised = store->preset.get();
        const auto initialisedSelections = store->selections.get();
        const int initialisedScene = store->activeSceneIndex.get();
        ASSERT_TRUE(initialisedSelections != shown || initialisedScene != c.scene || store->activeTrackIndex.get() != c.track);

        for (int i = 0; i < c.editsAfter; ++i) {
            store->undo();
            EXPECT_EQ(store->selections.get(), initialisedSelections) << "an edit's undo keeps the selections";
        }
        store->undo();
        EXPECT_EQ(store->preset.get(), edited);
        EXPECT_EQ(store->selections.get(), shown);
        EXPECT_EQ(store->activeSceneIndex.get(), c.scene);
        EXPECT_EQ(store->activeTrackIndex.get(), c.track);
        EXPECT_EQ(playedPattern.back(), c.shown[static_cast<std::size_t>(c.track)].pattern) << "the engine plays the pattern shown";
        EXPECT_FALSE(store->canUndo().get());

        for (int i = 0; i <= c.editsAfter; ++i) store->redo();
        EXPECT_EQ(store->preset.get(), initialised);
        EXPECT_EQ(store->selections.get(), initialisedSelections);
        EXPECT_EQ(store->activeSceneIndex.get(), initialisedScene);
        EXPECT_EQ(store->activeTrackIndex.get(), 0);
        EXPECT_EQ(playedPattern.back(), 0);

        for (int i = 0; i <= c.editsAfter; ++i) store->undo();
        EXPECT_EQ(store->selections.get(), shown) << "and back again";
        EXPECT_EQ(store->activeSceneIndex.get(), c.scene);
        EXPECT_EQ(store->activeTrackIndex.get(), c.track);
    }
}

}  // namespace pulvan::test
