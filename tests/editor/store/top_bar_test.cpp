#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

#include <cmath>

namespace pulvan::test {

using store::HostedMIDIRecordMode;
using store::KezModal;

TEST_F(StoreTest, ResyncArmsOnceInAHostWithTheMeasureProgressClamped) {
    struct Case {
        double progress;
        double shown;
    };
    for (const Case& c : std::vector<Case>{{1.4, 1.0}, {0.3, 0.3}, {-2.0, 0.0}, {std::nan(""), 0.0}}) {
        auto store = makeStore();
        int arms = 0;
        store->armResync();
        store->hooks.hostedAppPlaySetResyncArmed = [&](bool armed) { arms += armed; };
        store->hooks.hostedAppPlayMeasureProgress = [&] { return c.progress; };
        store->armResync();
        EXPECT_EQ(arms, 0) << "standalone: nothing";
        store->isHostedUI.set(true);
        store->armResync();
        store->armResync();
        EXPECT_EQ(arms, 1);
        EXPECT_TRUE(store->resyncModeActive.get());
        EXPECT_EQ(store->playhead.resyncMeasureProgress.get(), c.shown) << c.progress;
    }
}

TEST_F(StoreTest, LearnModeClosesTheGeneratorSessionAndOpensThePinnedPerformanceModal) {
    auto store = makeStore(threeTrackPreset());
    store->togglePatternGenerator303Modal();
    store->setPatternGenerator303Time(1, true);
    store->toggleMIDILearn();
    EXPECT_EQ(store->activeModal().get(), KezModal::performance);
    EXPECT_TRUE(store->pinPerformanceDialog().get());
    EXPECT_EQ(store->history().label(store->history().index()), "303 pattern generator");
}

TEST_F(StoreTest, TheRecordButtonsProgressRisesWhileArmingAndFallsWhileStopping) {
    struct Case {
        HostedMIDIRecordMode mode;
        double measure;
        std::optional<double> shown;
        bool recording;
    };
    const std::vector<Case> cases{
        {HostedMIDIRecordMode::idle, 0.5, std::nullopt, false},  {HostedMIDIRecordMode::armStart, 0.25, 0.25, false},
        {HostedMIDIRecordMode::armStart, 3.0, 1.0, false},        {HostedMIDIRecordMode::recording, 0.5, std::nullopt, true},
        {HostedMIDIRecordMode::armStop, 0.25, 0.75, true},        {HostedMIDIRecordMode::armStop, -0.5, 1.0, true},
    };
    auto store = makeStore();
    for (const Case& c : cases) {
        store->hostedMIDIRecordMode.set(c.mode);
        store->hostedMIDIRecordMeasureProgress.set(c.measure);
        EXPECT_EQ(store->hostedMIDIRecordProgress(), c.shown) << static_cast<int>(c.mode) << " " << c.measure;
        EXPECT_EQ(store->isHostedMIDIRecording(), c.recording);
    }
}

TEST_F(StoreTest, InitialisingHandsTheLinkADefaultPresetWithTheDefaultCCs) {
    auto store = makeStore(threeTrackPreset());
    store->currentPresetName.set("Song");
    store->currentPresetFolderName = "Live";
    store->initializePreset();
    EXPECT_EQ(store->currentPresetName.get(), "Song") << "no link: nothing to apply";
    std::vector<model::Preset> applied;
    store->linkHooks.applyPreset = [&](model::Preset p) { applied.push_back(std::move(p)); };
    store->setDefaultCCs(10, 11);
    store->initializePreset();
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].tracks.size(), 1u);
    EXPECT_EQ(std::make_pair(applied[0].tracks[0].ccA, applied[0].tracks[0].ccB), std::make_pair(10, 11));
    EXPECT_EQ(store->currentPresetName.get(), "");
    EXPECT_FALSE(store->currentPresetFolderName.has_value());
}

TEST_F(StoreTest, OnlyIndicesOfExistingTracksAreValid) {
    auto store = makeStore(threeTrackPreset());
    EXPECT_EQ(store->validTrackIndices({-1, 0, 2, 3, 9}), (std::set<int>{0, 2}));
}

}  // namespace pulvan::test
