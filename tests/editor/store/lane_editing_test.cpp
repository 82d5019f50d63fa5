#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using model::LaneKind;
using store::LastStepMode;

namespace {

const model::Pattern& activePattern(const store::SequencerStore& store) {
    return store.preset->tracks[static_cast<std::size_t>(store.clampedActiveTrackIndex())].patterns[static_cast<std::size_t>(store.activePatternIndex())];
}

std::map<LaneKind, int> lastSteps(const store::SequencerStore& store) {
    std::map<LaneKind, int> steps;
    for (const auto& [kind, lane] : activePattern(store).lanes) steps[kind] = lane.lastStep;
    return steps;
}

std::map<LaneKind, int> allAt(int lastStep, std::map<LaneKind, int> except = {}) {
    std::map<LaneKind, int> steps;
    for (LaneKind kind : model::allLaneKinds) steps[kind] = except.contains(kind) ? except[kind] : lastStep;
    return steps;
}

}  // namespace

TEST_F(StoreTest, LastStepEditsFollowTheModeAndDisarmIt) {
    struct Case {
        std::optional<LastStepMode> mode;
        LaneKind kind;
        int page, column;
        std::map<LaneKind, int> expected;
    };
    const std::vector<Case> cases{
        {std::nullopt, LaneKind::gate, 2, 5, allAt(16, {{LaneKind::gate, 38}})},
        {LastStepMode::single, LaneKind::notes, 0, 3, allAt(16, {{LaneKind::notes, 4}, {LaneKind::fix, 4}})},
        {LastStepMode::all, LaneKind::velocity, 3, 15, allAt(64)},
        {LastStepMode::single, LaneKind::ccB, 0, 0, allAt(16, {{LaneKind::ccB, 1}})},
    };
    for (const Case& c : cases) {
        auto store = makeStore(threeTrackPreset());
        store->setActivePage(c.page);
        store->lastStepMode.set(c.mode);
        store->setLastStep(c.kind, c.column);
        EXPECT_EQ(lastSteps(*store), c.expected) << "page " << c.page << " column " << c.column;
        EXPECT_EQ(store->lastStepMode.get(), std::nullopt);
        EXPECT_EQ(store->history().label(1), "Last step");
    }
}

TEST_F(StoreTest, ALastStepOutsideThePageOrColumnsChangesNothingAndOpensNoTransaction) {
    const std::vector<std::pair<int, int>> pagesAndColumns{{0, -1}, {0, 16}, {3, 16}, {4, 0}, {-1, 3}, {9, 200}};
    for (auto [page, column] : pagesAndColumns) {
        auto store = makeStore(threeTrackPreset());
        store->setActivePage(page);
        store->lastStepMode.set(LastStepMode::all);
        store->setLastStep(LaneKind::gate, column);
        EXPECT_EQ(store->history().count(), 1) << "page " << page << " column " << column;
        EXPECT_TRUE(refreshes.empty());
        EXPECT_EQ(lastSteps(*store), allAt(16));
    }
}

TEST_F(StoreTest, ALastStepThatLeavesNoGateOnQueuesAReleaseWithTheNextRefresh) {
    auto store = makeStore(threeTrackPreset());  // gates on at steps 0 and 4
    store->setLastStep(LaneKind::gate, 4);
    EXPECT_TRUE(store->pendingAppPlayTrackNoteReleaseIndices.empty()) << "step 4 still plays";
    store->setLastStep(LaneKind::tie, 0);
    EXPECT_TRUE(store->pendingAppPlayTrackNoteReleaseIndices.empty());
    store->beginTransaction("Paint gate");
    store->setLaneStepValue(LaneKind::gate, 0, 0);
    store->endTransaction();
    store->setLastStep(LaneKind::gate, 3);
    EXPECT_EQ(store->pendingAppPlayTrackNoteReleaseIndices, std::set<int>{0}) << "queued after the close, for the next refresh";
}

TEST_F(StoreTest, PaintingWritesStepsOnlyWhereTheyChange) {
    auto store = makeStore(threeTrackPreset());
    store->setActivePage(1);
    store->beginTransaction("Paint velocity");
    store->setLaneStepValue(LaneKind::velocity, 2, 100);  // unchanged
    store->setLaneStepValue(LaneKind::velocity, 3, 64);
    store->setLaneStepValue(LaneKind::velocity, 16, 1);  // no such column
    store->endTransaction();
    EXPECT_EQ(activePattern(*store).lane(LaneKind::velocity).steps[19], 64);
    EXPECT_EQ(store->history().label(1), "Paint velocity");
    store->undo();
    EXPECT_EQ(activePattern(*store).lane(LaneKind::velocity).steps[19], 100);
}

TEST_F(StoreTest, WritingANoteValueKeepsTheStepsOtherChordNotes) {
    auto store = makeStore(threeTrackPreset());
    store->preset.modify([](model::Preset& p) { p.tracks[0].patterns[0].lane(LaneKind::notes).setChord({2, 5}, 6); });
    store->setLaneStepValue(LaneKind::notes, 6, 7);
    const model::Lane& notes = activePattern(*store).lane(LaneKind::notes);
    EXPECT_EQ(notes.steps[6], 7);
    EXPECT_EQ(notes.chordNotes(6), (model::Chord{7, 5}));
}

TEST_F(StoreTest, ChordNotesAreAddedRemovedAndMovedWithinAStep) {
    struct Case {
        model::Chord start;
        bool move;
        int a, b;  // note and isOn, or from and to
        model::Chord expected;
        int returned;
    };
    const std::vector<Case> cases{
        {{2, 5, 9}, false, 5, 0, {2, 9}, 0},
        {{4}, false, 4, 0, {4}, 0},             // the last note stays
        {{2, 9}, false, 14, 1, {2, 9, 11}, 0},  // clamped to 11
        {{2, 9}, false, 7, 0, {2, 9}, 0},       // removing an absent note
        {{3, 7}, true, 3, 7, {7}, 7},
        {{3, 7}, true, 4, 7, {3, 7}, 7},
        {{3, 8}, true, 4, 7, {3, 8}, 4},
        {{3, 8}, true, 8, 1, {1, 3}, 1},
        {{3, 8}, true, 8, 8, {3, 8}, 8},
    };
    for (const Case& c : cases) {
        auto store = makeStore(threeTrackPreset());
        store->preset.modify([&](model::Preset& p) { p.tracks[0].patterns[0].lane(LaneKind::notes).setChord(c.start, 9); });
        int returned = 0;
        if (c.move) {
            returned = store->moveStepChordNote(9, c.a, c.b, false);
        } else {
            store->setNoteInStep(9, c.a, c.b == 1, false);
        }
        const model::Lane& notes = activePattern(*store).lane(LaneKind::notes);
        EXPECT_EQ(notes.chordNotes(9), c.expected);
        EXPECT_EQ(notes.steps[9], c.expected.front()) << "the step value is the lowest note";
        if (c.move) {
            EXPECT_EQ(returned, c.returned);
        }
        EXPECT_TRUE(store->notesStepContains(9, c.expected.back()));
    }
}

TEST_F(StoreTest, AChordEditPushedAtOnceIsNotPushedAgainByItsGesture) {
    auto store = makeStore(threeTrackPreset());
    store->beginTransaction("Edit notes");
    const int held = store->moveStepChordNote(1, 2, 6, true);
    EXPECT_EQ(held, 6);
    ASSERT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(refreshes[0].queuedReleases, std::set<int>{0});
    store->endTransaction();
    EXPECT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(store->history().count(), 2);
    store->setNoteInStep(1, 9, true, true);  // outside any gesture
    EXPECT_EQ(refreshes.size(), 2u);
    EXPECT_FALSE(store->skipNextAppPlayConfigurationRefresh);
}

TEST_F(StoreTest, ResettingALaneRestoresItsDefaultOnlyWhenSomethingDiffers) {
    auto store = makeStore(threeTrackPreset());
    store->resetLane(LaneKind::velocity);
    EXPECT_EQ(store->history().count(), 1) << "already 100 everywhere";
    store->preset.modify([](model::Preset& p) {
        model::Lane& velocity = p.tracks[0].patterns[0].lane(LaneKind::velocity);
        velocity.steps[40] = 3;
        velocity.lastStep = 24;
    });
    store->resetLane(LaneKind::velocity);
    EXPECT_EQ(store->history().label(1), "Reset velocity lane");
    const model::Lane& velocity = activePattern(*store).lane(LaneKind::velocity);
    EXPECT_EQ(velocity.steps, std::vector<int>(64, 100));
    EXPECT_EQ(velocity.lastStep, 24);

    store->resetLane(LaneKind::notes);
    const model::Lane& notes = activePattern(*store).lane(LaneKind::notes);
    EXPECT_EQ(notes.chordNotes(1), (model::Chord{0}));
    EXPECT_EQ(store->history().label(2), "Reset notes lane");
    EXPECT_EQ(refreshes.back().queuedReleases, std::set<int>{0});
    store->resetLane(LaneKind::ccA);
    EXPECT_EQ(store->history().count(), 3);
}

TEST_F(StoreTest, StepsAreDimmedOnlyWhereTheirSameLengthGateIsOff) {
    struct Case {
        LaneKind kind;
        int laneLast, gateLast, column;
        bool dimmed;
    };
    const std::vector<Case> cases{
        {LaneKind::velocity, 16, 16, 1, true},   {LaneKind::velocity, 16, 16, 0, false},  // gate on
        {LaneKind::velocity, 12, 16, 1, false},  {LaneKind::velocity, 16, 16, 16, false},
        {LaneKind::ccA, 16, 16, 1, false},       {LaneKind::gate, 16, 16, 1, false},
        {LaneKind::notes, 2, 2, 1, true},        {LaneKind::notes, 2, 2, 2, false},  // beyond the last step
    };
    for (const Case& c : cases) {
        auto store = makeStore(threeTrackPreset());
        store->preset.modify([&](model::Preset& p) {
            p.tracks[0].patterns[0].lane(c.kind).lastStep = c.laneLast;
            p.tracks[0].patterns[0].lane(LaneKind::gate).lastStep = c.gateLast;
        });
        EXPECT_EQ(store->isStepGatedOff(c.kind, c.column), c.dimmed) << model::rawValue(c.kind) << " column " << c.column;
    }
}

TEST_F(StoreTest, PagesAreInUseUpToTheLongestLane) {
    auto store = makeStore(threeTrackPreset());
    EXPECT_TRUE(store->isPageInUse(0));
    EXPECT_FALSE(store->isPageInUse(1));
    store->preset.modify([](model::Preset& p) { p.tracks[0].patterns[0].lanes.at(LaneKind::probability).lastStep = 33; });
    EXPECT_TRUE(store->isPageInUse(2));
    EXPECT_FALSE(store->isPageInUse(3));
    EXPECT_FALSE(store->isPageInUse(4));
    EXPECT_FALSE(store->isPageInUse(-1));
}

TEST_F(StoreTest, ThePlayheadIsShownInItsPageAndLane) {
    auto store = makeStore(threeTrackPreset());
    store->preset.modify([](model::Preset& p) {
        p.tracks[0].patterns[0].lane(LaneKind::gate).lastStep = 40;
        p.tracks[0].patterns[0].lane(LaneKind::velocity).lastStep = 8;
    });
    EXPECT_EQ(store->playheadPageIndex(), std::nullopt);
    const auto id = store->preset->tracks[0].id;
    store->playhead.globalStepByTrackID.set({{id, 37}});
    EXPECT_EQ(store->playheadPageIndex(), 2);
    EXPECT_EQ(store->playheadStepInPage(LaneKind::gate), std::nullopt) << "page 0 is shown";
    store->setActivePage(2);
    EXPECT_EQ(store->playheadStepInPage(LaneKind::gate), 5);
    EXPECT_EQ(store->playheadStepInPage(LaneKind::velocity), std::nullopt) << "37 mod 8 = 5 lies on page 0";
    store->setActivePage(0);
    EXPECT_EQ(store->playheadStepInPage(LaneKind::velocity), 5);
    store->playhead.globalStepByTrackID.set({{id, -1}});
    EXPECT_EQ(store->playheadPageIndex(), std::nullopt);
}

TEST_F(StoreTest, APatternSoundsOnlyWithAGateAndAPoolOrAFixStep) {
    struct Case {
        std::vector<int> pool;
        int gateStep, gateLast, fixStep;
        bool sounds;
    };
    const std::vector<Case> cases{
        {{60}, 3, 16, -1, true},  {{}, 3, 16, -1, false}, {{}, 3, 16, 3, true},
        {{60}, 3, 3, -1, false},  {{}, 3, 16, 20, false}, {{60}, -1, 16, 2, false},
    };
    for (const Case& c : cases) {
        model::Preset preset = threeTrackPreset();
        model::Pattern& pattern = preset.tracks[1].patterns[2];
        if (c.gateStep >= 0) pattern.lane(LaneKind::gate).steps[static_cast<std::size_t>(c.gateStep)] = 1;
        pattern.lane(LaneKind::gate).lastStep = c.gateLast;
        pattern.lane(LaneKind::fix).lastStep = 16;
        if (c.fixStep >= 0) pattern.lane(LaneKind::fix).steps[static_cast<std::size_t>(c.fixStep)] = 1;
        auto store = makeStore(preset);
        store->preset.modify([&](model::Preset& p) { p.notesPool = c.pool; });
        EXPECT_EQ(store->patternHasActiveSteps(1, 2), c.sounds) << "gate " << c.gateStep << " fix " << c.fixStep;
    }
    auto store = makeStore(threeTrackPreset());
    EXPECT_FALSE(store->patternHasActiveSteps(3, 0));
    EXPECT_FALSE(store->patternHasActiveSteps(0, 8));
}

TEST_F(StoreTest, LanesShorterThanTheirLastStepAreReadAndWrittenInsideTheirSteps) {
    model::Preset preset = threeTrackPreset();
    model::Lane& gate = preset.tracks[0].patterns[0].lanes.at(LaneKind::gate);
    gate.steps.resize(3);
    gate.lastStep = 64;
    auto store = makeStore(preset);
    EXPECT_TRUE(store->patternHasActiveSteps(0, 0));
    store->setActivePage(3);
    EXPECT_FALSE(store->isStepGatedOff(LaneKind::velocity, 15));
    store->setLaneStepValue(LaneKind::gate, 15, 1);
    EXPECT_EQ(activePattern(*store).lane(LaneKind::gate).steps.size(), 3u);
    EXPECT_EQ(store->history().count(), 1);
}

}  // namespace pulvan::test
