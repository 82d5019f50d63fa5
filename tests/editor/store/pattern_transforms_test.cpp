#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

#include <numeric>

namespace pulvan::test {

using model::LaneKind;

namespace {

// A probability lane holding 0, 1, 2, ... so a moved value shows where it came from.
model::Preset presetWithRamp(int lastStep, std::size_t steps = 64) {
    model::Preset preset = threeTrackPreset();
    model::Lane& lane = preset.tracks[0].patterns[0].lane(LaneKind::probability);
    lane.steps.resize(steps);
    std::iota(lane.steps.begin(), lane.steps.end(), 0);
    lane.lastStep = lastStep;
    return preset;
}

}  // namespace

TEST_F(StoreTest, DoublingCopiesEachLaneWithinItsOwnLength) {
    struct Case {
        int lastStep;
        std::size_t steps;
        int doubled;
        std::vector<std::pair<int, int>> stepAndValue;
    };
    const std::vector<Case> cases{
        {12, 64, 24, {{12, 0}, {23, 11}, {24, 24}}},
        {40, 64, 64, {{40, 0}, {63, 23}, {39, 39}}},
        {64, 64, 64, {{0, 0}, {63, 63}}},  // unchanged, and still recorded
        {20, 24, 40, {{20, 0}, {23, 3}}},  // a short lane is copied as far as its steps go
    };
    for (const Case& c : cases) {
        auto store = makeStore(presetWithRamp(c.lastStep, c.steps));
        store->doublePatternLength();
        const model::Lane& lane = activePattern(*store).lane(LaneKind::probability);
        EXPECT_EQ(lane.lastStep, c.doubled) << "from " << c.lastStep;
        EXPECT_EQ(lane.steps.size(), c.steps);
        for (auto [step, value] : c.stepAndValue) EXPECT_EQ(lane.steps[static_cast<std::size_t>(step)], value) << "step " << step;
        EXPECT_EQ(activePattern(*store).lane(LaneKind::gate).lastStep, 32);
        EXPECT_EQ(activePattern(*store).lane(LaneKind::notes).chordNotes(17), (model::Chord{1, 2})) << "chords double with their steps";
        EXPECT_EQ(refreshes.back().queuedReleases, std::set<int>{0});
    }
}

TEST_F(StoreTest, HalvingRoundsDownStopsAtOneAndKeepsTheSteps) {
    for (auto [from, to] : std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {15, 7}, {64, 32}}) {
        auto store = makeStore(presetWithRamp(from));
        store->halvePatternLength();
        EXPECT_EQ(activePattern(*store).lane(LaneKind::probability).lastStep, to) << "from " << from;
        EXPECT_EQ(activePattern(*store).lane(LaneKind::probability).steps[63], 63);
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
        auto store = makeStore(presetWithRamp(c.lastStep, c.steps));
        store->rotatePattern(c.left);
        EXPECT_EQ(first(activePattern(*store).lane(LaneKind::probability), 5), c.firstFive) << (c.left ? "left " : "right ") << c.lastStep;
        EXPECT_EQ(activePattern(*store).lane(LaneKind::notes).chordNotes(c.left ? 0 : 2), (model::Chord{1, 2}))
            << "the chord stays with its step";
    }
}

TEST_F(StoreTest, ShiftingNotesWrapsThroughThePoolUpToTheGateLength) {
    model::Preset preset = threeTrackPreset();
    model::Lane& notes = preset.tracks[0].patterns[0].lane(LaneKind::notes);
    notes.noteStepChords.reset();
    setSteps(notes, {11, 0, 5});
    preset.tracks[0].patterns[0].lane(LaneKind::gate).lastStep = 2;
    auto store = makeStore(preset);
    store->shiftNotes(1);
    EXPECT_EQ(first(activePattern(*store).lane(LaneKind::notes), 3), (std::vector<int>{0, 1, 5}));
    store->shiftNotes(-13);
    EXPECT_EQ(first(activePattern(*store).lane(LaneKind::notes), 3), (std::vector<int>{11, 0, 5}));

    store->preset.modify([](model::Preset& p) {
        p.tracks[0].poly = true;
        p.tracks[0].patterns[0].lane(LaneKind::notes).setChord({3, 11}, 0);
    });
    store->shiftNotes(1);
    EXPECT_EQ(activePattern(*store).lane(LaneKind::notes).chordNotes(0), (model::Chord{0, 4})) << "every note of a poly chord moves";
    EXPECT_EQ(activePattern(*store).lane(LaneKind::notes).steps[0], 0);
}

TEST_F(StoreTest, AnInvalidResolutionIsReadAsSixteenth) {
    auto store = makeStore(threeTrackPreset());
    store->setPatternResolution(8);
    store->setPatternResolution(17);
    EXPECT_EQ(store->activePatternResolution(), 16);
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Resolution", "Resolution"}));
    EXPECT_TRUE(refreshes.back().queuedReleases.empty()) << "no notes released for a resolution";
}

}  // namespace pulvan::test
