#include <gtest/gtest.h>

#include "editor/model/lane.h"

namespace pulvan::model {
namespace {

Lane notesLane(std::vector<int> steps, std::optional<std::vector<Chord>> chords) {
    Lane lane;
    lane.steps = std::move(steps);
    lane.noteStepChords = std::move(chords);
    return lane;
}

TEST(LaneChords, NormalizedChordsFollowTheSteps) {
    const Lane lane = notesLane({5, 6, 7, 8}, std::vector<Chord>{{1, 10}, {}, {7}});
    EXPECT_EQ(lane.normalizedChords(), (std::vector<Chord>{{5, 10}, {6}, {7}, {8}}));
    EXPECT_EQ(notesLane({3, 4}, std::nullopt).normalizedChords(), (std::vector<Chord>{{3}, {4}}));
}

TEST(LaneChords, ChordNotesOfAStep) {
    const Lane lane = notesLane({5, 6, 7}, std::vector<Chord>{{1, 10}, {}});
    struct Row {
        int index;
        Chord notes;
    };
    for (const Row& row : std::vector<Row>{{0, {1, 10}}, {1, {6}}, {2, {7}}, {3, {}}, {-1, {}}, {64, {}}}) {
        EXPECT_EQ(lane.chordNotes(row.index), row.notes) << row.index;
    }
    EXPECT_EQ(defaultLane(LaneKind::notes).chordNotes(64), Chord{});
    EXPECT_EQ(defaultLane(LaneKind::gate).chordNotes(3), Chord{0});
}

TEST(LaneChords, SetChordStoresTheChordAndItsRoot) {
    Lane lane = notesLane({1, 2, 3}, std::nullopt);
    lane.setChord({9, 12, 16}, 1);
    EXPECT_EQ(lane.steps, (std::vector<int>{1, 9, 3}));
    EXPECT_EQ(lane.noteStepChords, (std::vector<Chord>{{1}, {9, 12, 16}, {3}}));

    lane.steps[1] = 4;
    lane.setChord({}, 1);  // an empty chord only realigns the root
    EXPECT_EQ(lane.noteStepChords, (std::vector<Chord>{{1}, {4, 12, 16}, {3}}));

    const Lane before = lane;
    lane.setChord({7}, 3);
    lane.setChord({7}, -1);
    EXPECT_EQ(lane, before);

    Lane plain = notesLane({1, 2}, std::nullopt);
    plain.setChord({}, 0);
    EXPECT_EQ(plain, notesLane({1, 2}, std::nullopt));
}

TEST(LaneChords, RotateMovesChordsWithTheirSteps) {
    // The store rotates the steps first, then the chords.
    Lane left = notesLane({2, 3, 1, 9}, std::vector<Chord>{{1, 5}, {2, 6}, {3, 7}, {9, 9}});
    left.rotateChords(true, 3);
    EXPECT_EQ(left.noteStepChords, (std::vector<Chord>{{2, 6}, {3, 7}, {1, 5}, {9, 9}}));

    Lane right = notesLane({3, 1, 2, 9}, std::vector<Chord>{{1, 5}, {2, 6}, {3, 7}, {9, 9}});
    right.rotateChords(false, 3);
    EXPECT_EQ(right.noteStepChords, (std::vector<Chord>{{3, 7}, {1, 5}, {2, 6}, {9, 9}}));

    for (const int count : {1, 0, -5}) {
        Lane unchanged = notesLane({1, 2}, std::vector<Chord>{{1, 4}, {2, 5}});
        unchanged.rotateChords(true, count);
        EXPECT_EQ(unchanged.noteStepChords, (std::vector<Chord>{{1, 4}, {2, 5}})) << count;
    }
    Lane beyond = notesLane({2, 1}, std::vector<Chord>{{1, 4}, {2, 5}});
    beyond.rotateChords(true, 99);
    EXPECT_EQ(beyond.noteStepChords, (std::vector<Chord>{{2, 5}, {1, 4}}));

    Lane withoutChords = notesLane({1, 2}, std::nullopt);
    withoutChords.rotateChords(true, 2);
    EXPECT_FALSE(withoutChords.noteStepChords);
}

TEST(LaneChords, DuplicateCopiesTheLeadingChordsOnwardWithinTheLane) {
    Lane lane = notesLane({1, 2, 1, 2, 5}, std::vector<Chord>{{1, 4}, {2, 6}});
    lane.duplicateChords(2);
    EXPECT_EQ(lane.noteStepChords, (std::vector<Chord>{{1, 4}, {2, 6}, {1, 4}, {2, 6}, {5}}));

    Lane longer = notesLane({1, 2, 3}, std::vector<Chord>{{1, 4}, {2, 6}, {3, 8}});
    longer.duplicateChords(2);  // only step 2 lies inside
    EXPECT_EQ(longer.noteStepChords, (std::vector<Chord>{{1, 4}, {2, 6}, {1, 4}}));

    Lane none = notesLane({1, 2}, std::vector<Chord>{{1, 4}});
    none.duplicateChords(0);
    EXPECT_EQ(none.noteStepChords, (std::vector<Chord>{{1, 4}}));
}

TEST(LaneShape, ConformingKeepsEveryStepIndexableByTheLastStep) {
    struct Row {
        int lastStep;
        std::size_t steps;
        int expectedLastStep;
        std::size_t expectedSteps;
    };
    const std::vector<Row> rows{
        {16, 64, 16, 64}, {0, 64, 1, 64}, {-7, 64, 1, 64}, {65, 64, 64, 64}, {INT32_MAX, 3, 64, 64},
        {64, 0, 64, 64},  {1, 100, 1, 100},
    };
    for (const Row& row : rows) {
        Lane lane;
        lane.lastStep = row.lastStep;
        lane.steps.assign(row.steps, 3);
        conformLaneShape(lane, LaneKind::velocity);
        EXPECT_EQ(lane.lastStep, row.expectedLastStep);
        ASSERT_EQ(lane.steps.size(), row.expectedSteps);
        if (row.steps < 64) {
            EXPECT_EQ(lane.steps.back(), 100) << "padding takes the kind's default";
        }
        if (row.steps > 0) {
            EXPECT_EQ(lane.steps.front(), 3);
        }
    }
    Lane chords = notesLane({4}, std::vector<Chord>{{4, 7}});
    conformLaneShape(chords, LaneKind::notes);
    ASSERT_EQ(chords.noteStepChords->size(), 64u);
    EXPECT_EQ(chords.noteStepChords->front(), (Chord{4, 7}));
    EXPECT_EQ(chords.noteStepChords->back(), Chord{0});
}

}  // namespace
}  // namespace pulvan::model
