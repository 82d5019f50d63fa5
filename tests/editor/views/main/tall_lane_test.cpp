#include "editor/views/main/tall_lane.h"

#include "tests/editor/views/main/grid_fixture.h"

#include <algorithm>

namespace pulvan::views {
namespace {

using model::LaneKind;

class TallLaneTest : public GridTest {
protected:
    // The centre of a chord row (0 at the bottom) of a column.
    ui::Point chordRow(int column, int row) const { return step("tall-lane", column, 1 - (row + 0.5) / 12); }
    std::vector<int> chord(int step) const { return lane(LaneKind::notes).chordNotes(step); }
};

TEST_F(TallLaneTest, APressAtTheTopMiddleAndBottomGivesEachLaneKindsRange) {
    const struct {
        LaneKind kind;
        int top, middle, bottom;
    } cases[] = {
        {LaneKind::notes, 11, 6, 0},      {LaneKind::octave, 3, 0, -3}, {LaneKind::velocity, 127, 64, 0}, {LaneKind::length, 100, 50, 0},
        {LaneKind::probability, 6, 3, 0}, {LaneKind::ccA, 128, 64, 0},  {LaneKind::ccB, 128, 64, 0},
    };
    const double bottom = 1 - 1e-6;
    for (const auto& c : cases) {
        SCOPED_TRACE(model::rawValue(c.kind));
        show(test::presetWithTracks(1));
        store->activeLane.set(c.kind);
        h->update();
        tap(step("tall-lane", 0, 0));
        tap(step("tall-lane", 1, 0.5));
        tap(step("tall-lane", 2, bottom));
        tap(step("tall-lane", 1, 0.5));  // the value already there
        const std::vector<int> painted{c.top, c.middle, c.bottom};
        EXPECT_EQ(test::first(lane(c.kind), 3), painted);
        // A tap that paints the value a step already holds (its default, or its own again) records nothing.
        const auto changes = std::count_if(painted.begin(), painted.end(), [&](int v) { return v != model::defaultStepValue(c.kind); });
        EXPECT_EQ(undoLabels(),
                  std::vector<std::string>(static_cast<std::size_t>(changes), "Edit " + std::string(model::rawValue(c.kind))));
    }
}

TEST_F(TallLaneTest, ADragAcrossFiveColumnsGivesEachItsOwnHeightInOneUndoEntry) {
    show(test::presetWithTracks(1));
    store->activeLane.set(LaneKind::velocity);
    h->update();
    h->press(step("tall-lane", 0, 0));
    for (int c = 1; c <= 4; ++c) h->move(step("tall-lane", c, 0.5));
    h->release(step("tall-lane", 4, 0.5));
    EXPECT_EQ(test::first(lane(LaneKind::velocity), 6), (std::vector<int>{127, 64, 64, 64, 64, 100}));
    EXPECT_EQ(undoLabels(), std::vector<std::string>{"Edit velocity"});
    EXPECT_EQ(store->txnDepth, 0);
}

// The press of a double or triple click first paints; the click's reset must be its own entry and
// survive a little jitter before the release.
TEST_F(TallLaneTest, DoubleAndTripleClicksResetAfterClosingThePaint) {
    const struct {
        LaneKind kind;
        int clicks;
        int start;       // every step's value before
        double fromTop;  // where the clicks land
        int expected;
        const char* lastLabel;  // none: no entry at all
    } cases[] = {
        {LaneKind::length, 2, 2, 0.1, 75, "Edit length"},
        {LaneKind::velocity, 2, 2, 0.1, 100, "Edit velocity"},
        {LaneKind::octave, 2, 2, 0.1, 0, "Edit octave"},
        {LaneKind::octave, 2, 0, 0.5, 0, nullptr},  // the clicks paint the default the step holds
        {LaneKind::velocity, 3, 2, 0.1, 100, "Reset velocity lane"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(model::rawValue(c.kind)) + " x" + std::to_string(c.clicks) + " from " + std::to_string(c.start));
        model::Preset preset = test::presetWithTracks(1);
        test::setSteps(preset.tracks[0].patterns[0].lane(c.kind), {c.start, c.start, c.start});
        show(preset);
        store->activeLane.set(c.kind);
        h->update();
        const ui::Point at = step("tall-lane", 1, c.fromTop);
        h->advance(1);
        for (int i = 1; i < c.clicks; ++i) h->click(at);
        h->press(at);
        h->move({at.x + 1, at.y + 2});
        h->release({at.x + 1, at.y + 2});
        EXPECT_EQ(stepValue(lane(c.kind), 1), c.expected);
        EXPECT_EQ(store->txnDepth, 0);
        if (!c.lastLabel) {
            EXPECT_TRUE(undoLabels().empty());
            continue;
        }
        ASSERT_FALSE(undoLabels().empty());
        EXPECT_EQ(undoLabels().back(), c.lastLabel);
        if (c.clicks == 3) {
            EXPECT_EQ(test::first(lane(c.kind), 3), (std::vector<int>{100, 100, 100})) << "the whole lane reset";
        }
    }
}

TEST_F(TallLaneTest, AnArmedLastStepPickSetsTheLastStepAndPaintsNothing) {
    show(test::presetWithTracks(1));
    store->activeLane.set(LaneKind::velocity);
    store->toggleLastStepMode(store::LastStepMode::single);
    h->update();
    h->drag(step("tall-lane", 5, 0), step("tall-lane", 7, 0));
    EXPECT_EQ(lane(LaneKind::velocity).lastStep, 6);
    EXPECT_EQ(test::first(lane(LaneKind::velocity), 8), std::vector<int>(8, 100));
    EXPECT_EQ(undoLabels(), std::vector<std::string>{"Last step"});
}

TEST_F(TallLaneTest, ThePolyChordEditorAddsRemovesAndMergesNotes) {
    model::Preset preset = test::presetWithTracks(1);
    preset.tracks[0].poly = true;
    preset.tracks[0].patterns[0].lane(LaneKind::notes).setChord({0, 4, 7}, 0);
    show(preset);
    const struct {
        const char* name;
        int fromRow, toRow;
        bool andBack;  // released on the row it was pressed on
        std::vector<int> chord;
        std::size_t entries;
    } gestures[] = {
        {"a click on an empty row adds it", 9, 9, false, {0, 4, 7, 9}, 1},
        {"a click on a chord note removes it", 4, 4, false, {0, 7, 9}, 2},
        {"a note dragged to a free row moves", 9, 11, false, {0, 7, 11}, 3},
        {"a note dropped on another merges into it", 11, 7, false, {0, 7}, 4},
        {"a note dragged to a free row and back stays, with no entry", 7, 10, true, {0, 7}, 4},
    };
    for (const auto& g : gestures) {
        SCOPED_TRACE(g.name);
        h->advance(1);
        if (g.fromRow == g.toRow) {
            h->click(chordRow(0, g.fromRow));
        } else if (g.andBack) {
            h->press(chordRow(0, g.fromRow));
            h->move(chordRow(0, g.toRow));
            h->move(chordRow(0, g.fromRow));
            h->release(chordRow(0, g.fromRow));
        } else {
            h->drag(chordRow(0, g.fromRow), chordRow(0, g.toRow), 6);
        }
        EXPECT_EQ(chord(0), g.chord);
        EXPECT_EQ(store->txnDepth, 0);
        EXPECT_EQ(undoLabels(), std::vector<std::string>(g.entries, "Edit notes"));
    }
    store->preset.modify([](model::Preset& p) { p.tracks[0].patterns[0].lane(LaneKind::notes).setChord({5}, 1); });
    tap(chordRow(1, 5));
    EXPECT_EQ(chord(1), std::vector<int>{5}) << "the only note stays";
}

}  // namespace
}  // namespace pulvan::views
