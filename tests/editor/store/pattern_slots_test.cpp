#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using model::LaneKind;
using store::KezModal;

namespace {

class PatternSlots : public StoreTest {
protected:
    std::vector<std::pair<foundation::Uuid, int>> scheduled;
    bool schedulerAccepts = false;

    std::unique_ptr<store::SequencerStore> makeSlotStore() {
        auto store = makeStore(threeTrackPreset());
        store->linkHooks.schedulePatternSelection = [this, raw = store.get()](const foundation::Uuid& id, int slot) {
            scheduled.emplace_back(id, slot);
            if (!schedulerAccepts) return false;
            raw->pendingPatternSelectionTrackID = id;
            raw->pendingPatternSelectionPatternIndex = slot;
            return true;
        };
        return store;
    }
};

}  // namespace

TEST_F(PatternSlots, ADeclinedLaunchSelectsAtOnceAndReleasesASilentPattern) {
    auto store = makeSlotStore();
    store->launchPattern(3);
    EXPECT_EQ(store->activePatternIndex(), 3);
    ASSERT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(refreshes[0].releaseTracks, std::set<int>{0}) << "slot 3 holds no gate";
    store->launchPattern(0);
    EXPECT_EQ(refreshes.back().releaseTracks, std::set<int>{}) << "slot 0 sounds";
    store->launchPattern(0);
    EXPECT_EQ(refreshes.size(), 2u) << "the selected slot again: nothing";
    store->launchPattern(42);
    EXPECT_EQ(store->activePatternIndex(), 7) << "clamped into the track's slots";
    EXPECT_EQ(store->history().count(), 1) << "launches are not undoable";
}

TEST_F(PatternSlots, AnAcceptedLaunchWaitsAndTheSelectedSlotWithdrawsIt) {
    schedulerAccepts = true;
    auto store = makeSlotStore();
    int cancels = 0;
    store->hooks.hostedAppPlayCancelPatternLaunch = [&] { ++cancels; };
    store->launchPattern(3);
    EXPECT_EQ(store->activePatternIndex(), 0);
    store->launchPattern(3);
    EXPECT_EQ(scheduled.size(), 1u) << "already waiting";
    store->pendingPatternSelectionScheduledInHostedEngine = true;
    store->launchPattern(0);
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(store->pendingPatternSelectionPatternIndex.has_value());
    EXPECT_EQ(store->activePatternIndex(), 0);
    EXPECT_TRUE(refreshes.empty());
}

TEST_F(PatternSlots, ProgressIsShownOnlyForTheWaitingSlotAtABarOrABeat) {
    schedulerAccepts = true;
    auto store = makeSlotStore();
    store->launchPattern(5);
    store->playhead.patternSelectionProgress.set(0.25);
    for (auto [resolution, shown] : std::vector<std::pair<int, bool>>{{1, true}, {4, true}, {8, false}, {16, false}, {3, false}}) {
        store->preset.modify([&](model::Preset& p) { p.patternLaunchResolution = resolution; });
        EXPECT_EQ(store->patternLaunchProgress(5), shown ? std::optional<double>(0.25) : std::nullopt) << resolution;
    }
    store->preset.modify([&](model::Preset& p) { p.patternLaunchResolution = 1; });
    EXPECT_EQ(store->patternLaunchProgress(4), std::nullopt);
    store->activeTrackIndex.set(1);
    EXPECT_EQ(store->patternLaunchProgress(5), std::nullopt) << "another track's launch";
}

TEST_F(PatternSlots, CopyArmedTakesThePatternAsItWasAndPastesIntoTheTappedSlot) {
    auto store = makeSlotStore();
    store->togglePatternSwapArm();
    store->togglePatternCopyArm();
    EXPECT_FALSE(store->patternSwapWithActive().get());
    EXPECT_TRUE(store->patternCopyToActive().get());
    const model::Pattern armed = store->preset->tracks[0].patterns[0];
    store->beginTransaction("Paint gate");
    store->setLaneStepValue(LaneKind::gate, 0, 0);
    store->endTransaction();
    refreshes.clear();

    ASSERT_TRUE(store->pastePattern(0, 5, true));
    EXPECT_EQ(store->preset->tracks[0].patterns[5], armed);
    EXPECT_EQ(store->activePatternIndex(), 5);
    EXPECT_EQ(store->history().label(store->history().index()), "Paste pattern");
    EXPECT_EQ(refreshes.back().queuedReleases, std::set<int>{0});
    EXPECT_TRUE(store->pastePattern(2, 1, false)) << "the clipboard keeps its pattern";
    EXPECT_EQ(store->preset->tracks[2].patterns[1], armed);
    store->togglePatternCopyArm();
    EXPECT_FALSE(store->patternCopyToActive().get());
}

TEST_F(PatternSlots, PastingFailsWithoutAClipboardOrATarget) {
    auto store = makeSlotStore();
    EXPECT_FALSE(store->pastePattern(0, 1, true));
    store->copyActivePatternToClipboard();
    EXPECT_FALSE(store->pastePattern(3, 1, true));
    EXPECT_FALSE(store->pastePattern(0, 8, true));
    EXPECT_FALSE(store->pastePattern(-1, 0, false));
    EXPECT_EQ(store->history().count(), 1);
    EXPECT_EQ(store->activeTrackIndex.get(), 0);
}

TEST_F(PatternSlots, SwappingMovesTheSelectionWithThePlayingPattern) {
    auto store = makeSlotStore();
    store->launchPattern(1);
    const model::Pattern playing = store->preset->tracks[0].patterns[1];
    store->preset.modify([](model::Preset& p) { p.tracks[0].patterns[6].direction = model::PatternDirection::random; });
    const model::Pattern other = store->preset->tracks[0].patterns[6];
    EXPECT_TRUE(store->swapPatterns(6));
    EXPECT_EQ(store->preset->tracks[0].patterns[6], playing);
    EXPECT_EQ(store->preset->tracks[0].patterns[1], other);
    EXPECT_EQ(store->activePatternIndex(), 6);
    EXPECT_EQ(store->history().label(1), "Swap patterns");
    EXPECT_TRUE(store->swapPatterns(6)) << "the selected slot: nothing to do";
    EXPECT_FALSE(store->swapPatterns(8));
    EXPECT_EQ(store->history().count(), 2);
}

TEST_F(PatternSlots, ClearingAsksFirstAndRestoresTheDefaultPattern) {
    auto store = makeSlotStore();
    store->presentClearPatternDialog();
    ASSERT_TRUE(store->dialog->has_value());
    const store::DialogRequest request = *store->dialog.get();
    EXPECT_EQ(request.title, "Clear pattern");
    EXPECT_EQ(request.message, "Clear the pattern ?");
    EXPECT_EQ(request.confirmLabel, "Clear");
    request.onConfirm("");
    EXPECT_EQ(store->preset->tracks[0].patterns[0], model::defaultPattern());
    EXPECT_EQ(refreshes.back().queuedReleases, std::set<int>{0});
}

TEST_F(PatternSlots, ASlotIsEmptyWithoutGatesOrControllerSteps) {
    struct Case {
        LaneKind kind;
        int step, value, lastStep;
        bool empty;
    };
    const std::vector<Case> cases{
        {LaneKind::gate, 3, 1, 16, false}, {LaneKind::gate, 20, 1, 16, true}, {LaneKind::ccA, 2, 64, 16, false},
        {LaneKind::ccB, 0, 1, 16, false},  {LaneKind::ccB, 9, 0, 16, true},  {LaneKind::velocity, 0, 5, 16, true},
    };
    for (const Case& c : cases) {
        auto store = makeSlotStore();
        store->preset.modify([&](model::Preset& p) {
            model::Lane& lane = p.tracks[1].patterns[4].lane(c.kind);
            lane.steps[static_cast<std::size_t>(c.step)] = c.value;
            lane.lastStep = c.lastStep;
        });
        EXPECT_EQ(store->isPatternEmpty(1, 4), c.empty) << model::rawValue(c.kind) << " step " << c.step;
    }
    auto store = makeSlotStore();
    EXPECT_TRUE(store->isPatternEmpty(7, 0));
    EXPECT_TRUE(store->isPatternEmpty(0, -1));
}

TEST_F(PatternSlots, TheLaunchResolutionKeepsOnlyItsFourValues) {
    auto store = makeSlotStore();
    store->setPatternLaunchResolution(2);
    EXPECT_EQ(store->preset->patternLaunchResolution, 16);
    store->setPatternLaunchResolution(4);
    store->setPatternLaunchResolution(4);
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Pattern launch", "Pattern launch"}));
}

TEST_F(PatternSlots, TheGeneratorButtonEndsASoundingKeyWhenItCloses) {
    auto store = makeSlotStore();
    store->togglePatternGenerator303Modal();
    EXPECT_EQ(store->activeModal().get(), KezModal::patternGenerator303);
    store->auditionPatternGenerator303Key(4);
    ASSERT_EQ(sentMIDI.size(), 1u);
    store->togglePatternGenerator303Modal();
    EXPECT_EQ(store->activeModal().get(), std::nullopt);
    ASSERT_EQ(sentMIDI.size(), 2u);
    EXPECT_EQ(sentMIDI[1], (std::array<int, 3>{0x80, 64, 0}));
    EXPECT_EQ(store->history().count(), 1) << "nothing was edited";
}

}  // namespace pulvan::test
