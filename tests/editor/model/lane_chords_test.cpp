#include <gtest/gtest.h>

#include "editor/model/lane.h"

#include <functional>

namespace pulvan::model {
namespace {

using Chords = std::vector<Chord>;

Lane notesLane(std::vector<int> steps, std::optional<Chords> chords) { return Lane{kDefaultLastStep, std::move(steps), std::move(chords)}; }

TEST(LaneChords, NormalizedChordsAndChordNotes) {
    const Lane lane = notesLane({5, 6, 7, 8}, Chords{{1, 10}, {}, {7}});
    EXPECT_EQ(lane.normalizedChords(), (Chords{{5, 10}, {6}, {7}, {8}}));
    const std::vector<std::pair<int, Chord>> rows{{0, {1, 10}}, {1, {6}}, {3, {8}}, {4, {}}, {-1, {}}};
    for (const auto& [index, notes] : rows) EXPECT_EQ(lane.chordNotes(index), notes) << index;
    EXPECT_EQ(defaultLane(LaneKind::notes).chordNotes(64), Chord{});
    EXPECT_EQ(defaultLane(LaneKind::gate).chordNotes(3), Chord{0});
}

TEST(LaneChords, SetChordAndSyncRoot) {
    Lane lane = notesLane({1, 2, 3}, std::nullopt);
    lane.setChord({}, 0);
    EXPECT_EQ(lane, notesLane({1, 2, 3}, std::nullopt)) << "an empty chord on a lane without chords changes nothing";
    lane.setChord({9, 12, 16}, 1);
    EXPECT_EQ(lane, notesLane({1, 9, 3}, Chords{{1}, {9, 12, 16}, {3}}));
    lane.steps[1] = 4;
    lane.setChord({}, 1);
    EXPECT_EQ(lane.noteStepChords, (Chords{{1}, {4, 12, 16}, {3}}));
    const Lane before = lane;
    lane.setChord({7}, 3);
    lane.syncChordRoot(-1);
    EXPECT_EQ(lane, before);
}

// The store moves the steps first and then the chords, so each chord stays with its step.
TEST(LaneChords, RotateAndDuplicate) {
    struct Row {
        std::vector<int> steps;
        Chords chords;
        std::function<void(Lane&)> operation;
        Chords expected;
    };
    const std::vector<Row> rows{
        {{2, 3, 1, 9}, {{1, 5}, {2, 6}, {3, 7}, {9, 9}}, [](Lane& l) { l.rotateChords(true, 3); }, {{2, 6}, {3, 7}, {1, 5}, {9, 9}}},
        {{3, 1, 2, 9}, {{1, 5}, {2, 6}, {3, 7}, {9, 9}}, [](Lane& l) { l.rotateChords(false, 3); }, {{3, 7}, {1, 5}, {2, 6}, {9, 9}}},
        {{2, 1}, {{1, 4}, {2, 5}}, [](Lane& l) { l.rotateChords(true, 99); }, {{2, 5}, {1, 4}}},
        {{1, 2}, {{1, 4}, {2, 5}}, [](Lane& l) { l.rotateChords(true, 1); }, {{1, 4}, {2, 5}}},
        {{1, 2}, {{1, 4}, {2, 5}}, [](Lane& l) { l.rotateChords(false, -5); }, {{1, 4}, {2, 5}}},
        {{1, 2, 1, 2, 5}, {{1, 4}, {2, 6}}, [](Lane& l) { l.duplicateChords(2); }, {{1, 4}, {2, 6}, {1, 4}, {2, 6}, {5}}},
        {{1, 2, 3}, {{1, 4}, {2, 6}, {3, 8}}, [](Lane& l) { l.duplicateChords(2); }, {{1, 4}, {2, 6}, {1, 4}}},
        {{1, 2}, {{1, 4}}, [](Lane& l) { l.duplicateChords(0); }, {{1, 4}}},
    };
    for (const Row& row : rows) {
        Lane lane = notesLane(row.steps, row.chords);
        row.operation(lane);
        EXPECT_EQ(lane.noteStepChords, row.expected);
        Lane plain = notesLane(row.steps, std::nullopt);
        row.operation(plain);
        EXPECT_FALSE(plain.noteStepChords) << "a lane without chords keeps none";
    }
}

TEST(LaneShape, ConformingPadsShortLanesAndBoundsTheLastStep) {
    const std::vector<std::tuple<int, std::size_t, int, std::size_t>> rows{{16, 64, 16, 64}, {0, 64, 1, 64},         {-7, 64, 1, 64},
                                                                           {65, 64, 64, 64}, {INT32_MAX, 3, 64, 64}, {1, 100, 1, 100}};
    for (const auto& [lastStep, count, expectedLastStep, expectedCount] : rows) {
        Lane lane{lastStep, std::vector<int>(count, 3), std::nullopt};
        conformLaneShape(lane, LaneKind::velocity);
        EXPECT_EQ(lane.lastStep, expectedLastStep);
        ASSERT_EQ(lane.steps.size(), expectedCount);
        EXPECT_EQ(lane.steps.back(), count < 64 ? 100 : 3) << "padding takes the kind's default";
    }
    Lane chords = notesLane({4}, Chords{{4, 7}});
    conformLaneShape(chords, LaneKind::notes);
    EXPECT_EQ(chords.noteStepChords->size(), 64u);
    EXPECT_EQ(chords.chordNotes(0), (Chord{4, 7}));
}

}  // namespace
}  // namespace pulvan::model
