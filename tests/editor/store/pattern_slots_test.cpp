#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using model::LaneKind;

namespace {

class PatternSlots : public StoreTest {
protected:
    int schedules = 0;
    int cancels = 0;  // launches the hosted engine was told to drop
    bool schedulerAccepts = false;

    std::unique_ptr<store::SequencerStore> makeSlotStore() {
        auto store = makeStore(threeTrackPreset());
        store->linkHooks.schedulePatternSelection = [this, raw = store.get()](const foundation::Uuid& id, int slot) {
            ++schedules;
            if (!schedulerAccepts) return false;
            raw->pendingPatternSelectionTrackID = id;
            raw->pendingPatternSelectionPatternIndex = slot;
            return true;
        };
        store->hooks.hostedAppPlayCancelPatternLaunch = [this] { ++cancels; };
        return store;
    }
};

}  // namespace

TEST_F(PatternSlots, ADeclinedLaunchSelectsAtOnceAndReleasesASilentPattern) {
    auto store = makeSlotStore();
    store->launchPattern(3);
    EXPECT_EQ(store->activePatternIndex(), 3);
    EXPECT_EQ(refreshes.back().releaseTracks, std::set<int>{0}) << "slot 3 holds no gate";
    store->launchPattern(0);
    EXPECT_EQ(refreshes.back().releaseTracks, std::set<int>{}) << "slot 0 sounds";
    store->launchPattern(0);
    EXPECT_EQ(refreshes.size(), 2u) << "the selected slot again: nothing";
    store->launchPattern(42);
    EXPECT_EQ(store->activePatternIndex(), 7) << "clamped into the track's slots";
    EXPECT_EQ(store->history().count(), 1) << "launches are not undoable";
}

TEST_F(PatternSlots, AnAcceptedLaunchWaitsShowsItsProgressAndTheSelectedSlotWithdrawsIt) {
    schedulerAccepts = true;
    auto store = makeSlotStore();
    store->launchPattern(5);
    store->launchPattern(5);
    EXPECT_EQ(schedules, 1) << "already waiting";
    EXPECT_EQ(store->activePatternIndex(), 0);
    store->playhead.patternSelectionProgress.set(0.25);
    for (auto [resolution, shown] : std::vector<std::pair<int, bool>>{{1, true}, {4, true}, {8, false}, {3, false}}) {
        store->preset.modify([&](model::Preset& p) { p.patternLaunchResolution = resolution; });
        EXPECT_EQ(store->patternLaunchProgress(5), shown ? std::optional<double>(0.25) : std::nullopt) << resolution;
        EXPECT_EQ(store->patternLaunchProgress(4), std::nullopt);
    }
    store->pendingPatternSelectionScheduledInEngine = true;
    store->launchPattern(0);
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(store->pendingPatternSelectionPatternIndex.has_value());
    EXPECT_TRUE(refreshes.empty());
}

TEST_F(PatternSlots, ADeclinedLaunchWithdrawsALaunchWaitingOnAnotherTrack) {
    schedulerAccepts = true;
    auto store = makeSlotStore();
    store->launchPattern(5);
    store->pendingPatternSelectionScheduledInEngine = true;
    store->playhead.patternSelectionProgress.set(0.5);
    store->activeTrackIndex.set(1);
    schedulerAccepts = false;
    store->launchPattern(3);
    EXPECT_EQ(store->activePatternIndex(), 3);
    EXPECT_EQ(cancels, 1) << "the engine drops the launch it was given";
    EXPECT_FALSE(store->pendingPatternSelectionTrackID.has_value());
    EXPECT_FALSE(store->pendingPatternSelectionPatternIndex.has_value());
    EXPECT_EQ(store->playhead.patternSelectionProgress.get(), 0.0);
}

TEST_F(PatternSlots, CopyArmedTakesThePatternAsItWasAndPastesIntoTheTappedSlot) {
    auto store = makeSlotStore();
    EXPECT_FALSE(store->pastePattern(0, 1, true)) << "nothing copied yet";
    store->armPatternSwap();
    store->armPatternCopy();
    EXPECT_FALSE(store->patternSwapWithActive().get());
    const model::Pattern armed = store->preset->tracks[0].patterns[0];
    store->toggleMute(0);  // an edit after arming
    store->beginTransaction("Paint gate");
    store->setLaneStepValue(LaneKind::gate, 0, 0);
    store->endTransaction();
    EXPECT_FALSE(store->pastePattern(3, 1, true));
    EXPECT_FALSE(store->pastePattern(0, 8, true));
    ASSERT_TRUE(store->pastePattern(0, 5, true));
    EXPECT_EQ(store->preset->tracks[0].patterns[5], armed);
    EXPECT_EQ(store->activePatternIndex(), 5);
    EXPECT_EQ(refreshes.back().queuedReleases, std::set<int>{0});
    EXPECT_TRUE(store->pastePattern(2, 1, false)) << "the clipboard keeps its pattern";
    EXPECT_EQ(store->preset->tracks[2].patterns[1], armed);
    EXPECT_EQ(store->history().labels().back(), "Paste pattern");
}

TEST_F(PatternSlots, SwappingMovesTheSelectionWithThePlayingPatternAndClearingAsksFirst) {
    auto store = makeSlotStore();
    store->launchPattern(1);
    store->preset.modify([](model::Preset& p) { p.tracks[0].patterns[6].direction = model::PatternDirection::random; });
    const auto before = store->preset->tracks[0].patterns;
    EXPECT_TRUE(store->swapPatterns(6));
    EXPECT_EQ(store->preset->tracks[0].patterns[6], before[1]);
    EXPECT_EQ(store->preset->tracks[0].patterns[1], before[6]);
    EXPECT_EQ(store->activePatternIndex(), 6);
    EXPECT_TRUE(store->swapPatterns(6)) << "the selected slot: nothing to do";
    EXPECT_FALSE(store->swapPatterns(8));
    EXPECT_EQ(store->history().count(), 2);

    store = makeSlotStore();
    store->presentClearPatternDialog();
    const store::DialogRequest request = *store->dialog.get();
    EXPECT_EQ(std::make_tuple(request.title, *request.message, request.confirmLabel),
              std::make_tuple(std::string("Clear pattern"), std::string("Clear the pattern ?"), std::string("Clear")));
    request.onConfirm("");
    EXPECT_EQ(store->preset->tracks[0].patterns[0], model::defaultPattern());
    store->setPatternLaunchResolution(2);
    EXPECT_EQ(store->preset->patternLaunchResolution, 16);
    store->setPatternLaunchResolution(16);
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Clear pattern", "Pattern launch"}));
}

}  // namespace pulvan::test
