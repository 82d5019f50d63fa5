#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

#include <numeric>

namespace pulvan::test {

using model::LaneKind;

namespace {

// 0, 1, 2, ... on every step, so a moved value shows where it came from.
std::vector<int> ramp(std::size_t count) {
    std::vector<int> values(count);
    std::iota(values.begin(), values.end(), 0);
    return values;
}

model::Preset presetWithLane(LaneKind kind, int lastStep, std::size_t steps = 64) {
    model::Preset preset = threeTrackPreset();
    model::Lane& lane = preset.tracks[0].patterns[0].lane(kind);
    lane.steps = ramp(steps);
    lane.noteStepChords.reset();
    lane.lastStep = lastStep;
    return preset;
}

const model::Lane& laneOf(const store::SequencerStore& store, LaneKind kind) { return store.preset->tracks[0].patterns[0].lane(kind); }

}  // namespace

TEST_F(StoreTest, DoublingCopiesEachLaneWithinItsOwnLength) {
    struct Case {
        int lastStep;
        std::size_t steps;
        int doubled;
        std::vector<std::pair<int, int>> stepAndValue;
    };
    const std::vector<Case> cases{
        {16, 64, 32, {{16, 0}, {31, 15}, {32, 32}}},
        {12, 64, 24, {{12, 0}, {23, 11}, {24, 24}}},
        {40, 64, 64, {{40, 0}, {63, 23}, {39, 39}}},
        {64, 64, 64, {{0, 0}, {63, 63}}},
        {20, 24, 40, {{20, 0}, {23, 3}}},  // a short lane is copied as far as its steps go
    };
    for (const Case& c : cases) {
        auto store = makeStore(presetWithLane(LaneKind::probability, c.lastStep, c.steps));
        store->doublePatternLength();
        const model::Lane& lane = laneOf(*store, LaneKind::probability);
        EXPECT_EQ(lane.lastStep, c.doubled) << "from " << c.lastStep;
        EXPECT_EQ(lane.steps.size(), c.steps);
        for (auto [step, value] : c.stepAndValue) EXPECT_EQ(lane.steps[static_cast<std::size_t>(step)], value) << "step " << step;
        EXPECT_EQ(store->history().label(1), "Double length") << "recorded even when nothing changed";
        EXPECT_EQ(refreshes.back().queuedReleases, std::set<int>{0});
    }
}

TEST_F(StoreTest, HalvingThenDoublingKeepsTheCopiedSteps) {
    auto store = makeStore(presetWithLane(LaneKind::velocity, 12));
    store->doublePatternLength();
    EXPECT_EQ(laneOf(*store, LaneKind::gate).lastStep, 32);
    EXPECT_EQ(laneOf(*store, LaneKind::gate).steps[20], 1) << "gate step 4 copied to 20";
    store->halvePatternLength();
    EXPECT_EQ(laneOf(*store, LaneKind::gate).lastStep, 16);
    EXPECT_EQ(laneOf(*store, LaneKind::velocity).lastStep, 12);
    EXPECT_EQ(laneOf(*store, LaneKind::velocity).steps[12], 0) << "the copy stays stored beyond the last step";
    EXPECT_EQ(laneOf(*store, LaneKind::notes).chordNotes(17), (model::Chord{1, 2})) << "chords double with their steps";
}

TEST_F(StoreTest, HalvingRoundsDownAndStopsAtOne) {
    for (auto [from, to] : std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {15, 7}, {64, 32}}) {
        auto store = makeStore(presetWithLane(LaneKind::ccA, from));
        store->halvePatternLength();
        EXPECT_EQ(laneOf(*store, LaneKind::ccA).lastStep, to) << "from " << from;
    }
}

TEST_F(StoreTest, RotatingMovesStepsAndChordsWithinEachLanesLength) {
    struct Case {
        bool left;
        int lastStep;
        std::size_t steps;
        std::vector<int> firstFive;
    };
    const std::vector<Case> cases{
        {false, 4, 64, {3, 0, 1, 2, 4}},
        {true, 4, 64, {1, 2, 3, 0, 4}},
        {true, 1, 64, {0, 1, 2, 3, 4}},
        {false, 64, 5, {4, 0, 1, 2, 3}},  // the last step reaches past the stored steps
    };
    for (const Case& c : cases) {
        auto store = makeStore(presetWithLane(LaneKind::octave, c.lastStep, c.steps));
        store->rotatePattern(c.left);
        const auto& steps = laneOf(*store, LaneKind::octave).steps;
        EXPECT_EQ(std::vector<int>(steps.begin(), steps.begin() + 5), c.firstFive) << (c.left ? "left " : "right ") << c.lastStep;
        EXPECT_EQ(store->history().label(1), c.left ? "Rotate left" : "Rotate right");
    }
    auto store = makeStore(threeTrackPreset());
    store->rotatePattern(false);
    EXPECT_EQ(laneOf(*store, LaneKind::notes).chordNotes(2), (model::Chord{1, 2})) << "the chord stays with its step";
}

TEST_F(StoreTest, ShiftingNotesWrapsThroughThePoolUpToTheGateLength) {
    model::Preset preset = threeTrackPreset();
    model::Lane& notes = preset.tracks[0].patterns[0].lane(LaneKind::notes);
    notes.noteStepChords.reset();
    setSteps(notes, {11, 0, 5});
    preset.tracks[0].patterns[0].lane(LaneKind::gate).lastStep = 2;
    auto store = makeStore(preset);
    store->shiftNotes(1);
    const auto& steps = laneOf(*store, LaneKind::notes).steps;
    EXPECT_EQ(std::vector<int>(steps.begin(), steps.begin() + 3), (std::vector<int>{0, 1, 5}));
    EXPECT_EQ(store->history().label(1), "Shift notes up");
    store->shiftNotes(-13);
    EXPECT_EQ(std::vector<int>(steps.begin(), steps.begin() + 3), (std::vector<int>{11, 0, 5}));
    EXPECT_EQ(store->history().label(2), "Shift notes down");
    store->shiftNotes(0);
    EXPECT_EQ(store->history().count(), 3);
}

TEST_F(StoreTest, ShiftingAPolyChordShiftsEveryNote) {
    model::Preset preset = threeTrackPreset();
    preset.tracks[0].poly = true;
    preset.tracks[0].patterns[0].lane(LaneKind::notes).setChord({3, 11}, 0);
    auto store = makeStore(preset);
    store->shiftNotes(1);
    const model::Lane& notes = laneOf(*store, LaneKind::notes);
    EXPECT_EQ(notes.chordNotes(0), (model::Chord{0, 4}));
    EXPECT_EQ(notes.steps[0], 0);
    EXPECT_EQ(notes.chordNotes(1), (model::Chord{2, 3}));
}

TEST_F(StoreTest, DirectionAndResolutionRecordOnlyAChange) {
    auto store = makeStore(threeTrackPreset());
    store->setPatternDirection(model::PatternDirection::forward);
    store->setPatternResolution(17);
    EXPECT_EQ(store->history().count(), 1);
    store->setPatternResolution(8);
    store->setPatternResolution(17);
    EXPECT_EQ(store->activePatternResolution(), 16);
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Resolution", "Resolution"}));
    store->setPatternDirection(model::PatternDirection::pingPong);
    EXPECT_EQ(store->activePatternDirection(), model::PatternDirection::pingPong);
    EXPECT_TRUE(refreshes.back().queuedReleases.empty()) << "no notes released for these";
}

TEST_F(StoreTest, TransformsOfAMissingPatternOrLaneChangeNothing) {
    model::Preset preset = threeTrackPreset();
    preset.tracks[0].patterns[0].lanes.erase(LaneKind::notes);
    auto store = makeStore(preset);
    store->shiftNotes(1);
    EXPECT_EQ(store->history().count(), 1);
    store->selections.modify([&](auto& map) { map[store->preset->tracks[0].id].pattern = 12; });
    for (auto command : {&store::SequencerStore::doublePatternLength, &store::SequencerStore::halvePatternLength}) ((*store).*command)();
    store->rotatePattern(true);
    store->setPatternDirection(model::PatternDirection::random);
    EXPECT_EQ(store->history().count(), 1);
    EXPECT_EQ(store->activePatternResolution(), 16);
    EXPECT_EQ(store->activePatternDirection(), model::PatternDirection::forward);
}

}  // namespace pulvan::test
