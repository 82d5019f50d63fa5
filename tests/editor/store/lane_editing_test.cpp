#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

#include <functional>

namespace pulvan::test {

using model::LaneKind;
using store::LastStepMode;

namespace {

// Of the first track's first pattern.
std::map<LaneKind, int> lastSteps(const store::SequencerStore& store) {
    std::map<LaneKind, int> steps;
    for (const auto& [kind, lane] : store.preset->tracks[0].patterns[0].lanes) steps[kind] = lane.lastStep;
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
        bool disarms;
        int slot = 0;
    };
    const std::vector<Case> cases{
        {std::nullopt, LaneKind::gate, 2, 5, allAt(16, {{LaneKind::gate, 38}}), true},
        {LastStepMode::single, LaneKind::notes, 0, 3, allAt(16, {{LaneKind::notes, 4}, {LaneKind::fix, 4}}), true},
        {LastStepMode::all, LaneKind::velocity, 3, 15, allAt(64), true},
        // Outside the columns or the pages: nothing changes and no transaction opens.
        {LastStepMode::all, LaneKind::gate, 0, 16, allAt(16), false},
        {LastStepMode::all, LaneKind::gate, 4, 0, allAt(16), false},
        {LastStepMode::all, LaneKind::gate, -1, 3, allAt(16), false},
        {LastStepMode::all, LaneKind::gate, 0, -1, allAt(16), false},
        // The selected slot holds no pattern: nothing to change, but the pick uses up the mode.
        {LastStepMode::all, LaneKind::gate, 0, 3, allAt(16), true, 8},
        {LastStepMode::single, LaneKind::notes, 1, 7, allAt(16), true, 8},
    };
    for (const Case& c : cases) {
        auto store = makeStore(threeTrackPreset());
        selectPattern(*store, 0, c.slot);
        store->setActivePage(c.page);
        store->lastStepMode.set(c.mode);
        store->setLastStep(c.kind, c.column);
        EXPECT_EQ(lastSteps(*store), c.expected) << "page " << c.page << " column " << c.column;
        EXPECT_EQ(store->lastStepMode.get(), c.disarms ? std::nullopt : c.mode) << "page " << c.page << " column " << c.column;
        const bool applies = c.expected != allAt(16);
        EXPECT_EQ(store->history().count(), applies ? 2 : 1);
        EXPECT_EQ(refreshes.size(), applies ? 1u : 0u);
        refreshes.clear();
    }
}

TEST_F(StoreTest, EditsThatSilenceThePatternQueueAReleaseForTheNextRefresh) {
    auto store = makeStore(threeTrackPreset());  // gates on at steps 0 and 4
    store->setLastStep(LaneKind::gate, 4);
    store->setLastStep(LaneKind::tie, 0);
    store->beginTransaction("Paint gate");
    store->setLaneStepValue(LaneKind::gate, 0, 0);
    EXPECT_TRUE(store->pendingAppPlayTrackNoteReleaseIndices.empty()) << "step 4 still plays";
    store->setLaneStepValue(LaneKind::gate, 4, 0);
    EXPECT_EQ(store->pendingAppPlayTrackNoteReleaseIndices, std::set<int>{0});
    store->endTransaction();
    EXPECT_EQ(refreshes.back().queuedReleases, std::set<int>{0});
}

TEST_F(StoreTest, NotesStepValuesAndChordNotesStayInLine) {
    struct Case {
        model::Chord start;
        std::function<int(store::SequencerStore&)> edit;
        model::Chord expected;
        int returned;
    };
    const std::vector<Case> cases{
        {{2, 5}, [](auto& s) { return s.setLaneStepValue(LaneKind::notes, 9, 7), 0; }, {7, 5}, 0},
        {{2, 5, 9}, [](auto& s) { return s.setNoteInStep(9, 5, false, false), 0; }, {2, 9}, 0},
        {{4}, [](auto& s) { return s.setNoteInStep(9, 4, false, false), 0; }, {4}, 0},  // the last note stays
        {{2, 9}, [](auto& s) { return s.setNoteInStep(9, 14, true, false), 0; }, {2, 9, 11}, 0},
        {{3, 7}, [](auto& s) { return s.moveStepChordNote(9, 3, 7, false); }, {7}, 7},
        {{3, 7}, [](auto& s) { return s.moveStepChordNote(9, 4, 7, false); }, {3, 7}, 7},
        {{3, 8}, [](auto& s) { return s.moveStepChordNote(9, 4, 7, false); }, {3, 8}, 4},
        {{3, 8}, [](auto& s) { return s.moveStepChordNote(9, 8, 1, false); }, {1, 3}, 1},
    };
    for (const Case& c : cases) {
        auto store = makeStore(threeTrackPreset());
        store->preset.modify([&](model::Preset& p) { p.tracks[0].patterns[0].lane(LaneKind::notes).setChord(c.start, 9); });
        EXPECT_EQ(c.edit(*store), c.returned);
        const model::Lane& notes = activePattern(*store).lane(LaneKind::notes);
        EXPECT_EQ(notes.chordNotes(9), c.expected);
        EXPECT_EQ(notes.steps[9], c.expected.front());
        EXPECT_TRUE(store->notesStepContains(9, c.expected.back()));
    }
}

TEST_F(StoreTest, AChordEditPushedAtOnceIsNotPushedAgainByItsGesture) {
    auto store = makeStore(threeTrackPreset());
    store->beginTransaction("Edit notes");
    store->moveStepChordNote(1, 2, 6, true);
    ASSERT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(refreshes[0].queuedReleases, std::set<int>{0});
    store->endTransaction();
    EXPECT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(store->history().count(), 2);
    store->setNoteInStep(1, 9, true, true);  // outside a gesture: pushed, and the next close pushes as usual
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
    EXPECT_EQ(activePattern(*store).lane(LaneKind::velocity).steps, std::vector<int>(64, 100));
    EXPECT_EQ(activePattern(*store).lane(LaneKind::velocity).lastStep, 24);
    store->resetLane(LaneKind::notes);
    EXPECT_EQ(activePattern(*store).lane(LaneKind::notes).chordNotes(1), (model::Chord{0}));
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Reset velocity lane", "Reset notes lane"}));
}

TEST_F(StoreTest, PagesAndThePlayheadFollowTheLanesLengths) {
    auto store = makeStore(threeTrackPreset());
    store->preset.modify([](model::Preset& p) {
        p.tracks[0].patterns[0].lane(LaneKind::gate).lastStep = 40;
        p.tracks[0].patterns[0].lane(LaneKind::velocity).lastStep = 8;
    });
    EXPECT_EQ(std::vector<bool>(
                  {store->isPageInUse(-1), store->isPageInUse(0), store->isPageInUse(2), store->isPageInUse(3), store->isPageInUse(4)}),
              (std::vector<bool>{true, true, true, false, false}))
        << "a negative page lies before every lane's last step";
    EXPECT_EQ(store->playheadPageIndex(), std::nullopt);
    store->playhead.globalStepByTrackID.set({{store->preset->tracks[0].id, 37}});
    EXPECT_EQ(store->playheadPageIndex(), 2);
    EXPECT_EQ(store->playheadStepInPage(LaneKind::gate), std::nullopt) << "page 0 is shown";
    EXPECT_EQ(store->playheadStepInPage(LaneKind::velocity), 5) << "37 mod 8";
    store->setActivePage(2);
    EXPECT_EQ(store->playheadStepInPage(LaneKind::gate), 5);
}

// What the views ask of a pattern: a step dimmed where its same-length gate is off, a
// pattern that sounds only with a gate and a pool or a fix step, a slot empty without
// gates or controller steps; only steps before the last count.
TEST_F(StoreTest, PatternQueriesReadOnlyTheStepsThatPlay) {
    using Change = std::function<void(model::Preset&)>;
    const auto last = [](LaneKind kind, int lastStep) -> Change {
        return [=](model::Preset& p) { p.tracks[0].patterns[0].lane(kind).lastStep = lastStep; };
    };
    const auto dimmed = [](LaneKind kind, int column) {
        return [=](const store::SequencerStore& s) { return s.isStepGatedOff(kind, column); };
    };
    const auto sounding = [](std::vector<int> pool, int gateLast, int fixStep) -> Change {
        return [=](model::Preset& p) {
            p.notesPool = pool;
            model::Pattern& pattern = p.tracks[1].patterns[2];
            pattern.lane(LaneKind::gate).steps[3] = 1;
            pattern.lane(LaneKind::gate).lastStep = gateLast;
            if (fixStep >= 0) pattern.lane(LaneKind::fix).steps[static_cast<std::size_t>(fixStep)] = 1;
        };
    };
    const auto sounds = [](const store::SequencerStore& s) { return s.patternHasActiveSteps(1, 2); };
    const auto step = [](LaneKind kind, int index, int value) -> Change {
        return [=](model::Preset& p) { p.tracks[1].patterns[4].lane(kind).steps[static_cast<std::size_t>(index)] = value; };
    };
    const auto empty = [](const store::SequencerStore& s) { return s.isPatternEmpty(1, 4) && s.isPatternEmpty(7, 0); };
    struct Case {
        Change change;
        std::function<bool(const store::SequencerStore&)> query;
        bool expected;
    };
    const std::vector<Case> cases{
        {last(LaneKind::velocity, 16), dimmed(LaneKind::velocity, 1), true},
        {last(LaneKind::velocity, 16), dimmed(LaneKind::velocity, 0), false},
        {last(LaneKind::velocity, 12), dimmed(LaneKind::velocity, 1), false},
        {last(LaneKind::ccA, 16), dimmed(LaneKind::ccA, 1), false},
        {last(LaneKind::gate, 16), dimmed(LaneKind::gate, 1), false},
        {last(LaneKind::octave, 16), dimmed(LaneKind::octave, 16), false},
        {sounding({60}, 16, -1), sounds, true},
        {sounding({}, 16, -1), sounds, false},
        {sounding({}, 16, 3), sounds, true},
        {sounding({60}, 3, -1), sounds, false},
        {sounding({}, 16, 20), sounds, false},
        {step(LaneKind::gate, 3, 1), empty, false},
        {step(LaneKind::gate, 20, 1), empty, true},
        {step(LaneKind::ccA, 2, 64), empty, false},
        {step(LaneKind::ccB, 0, 1), empty, false},
        {step(LaneKind::velocity, 0, 5), empty, true},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        auto store = makeStore(threeTrackPreset());
        store->preset.modify(cases[i].change);
        EXPECT_EQ(cases[i].query(*store), cases[i].expected) << "case " << i;
    }
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
}

}  // namespace pulvan::test
