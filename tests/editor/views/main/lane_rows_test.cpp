#include "editor/views/main/step_strip.h"
#include "editor/views/main/value_row.h"
#include "tests/editor/views/main/grid_fixture.h"

namespace pulvan::views {
namespace {

using model::LaneKind;

class LaneRows : public GridTest {};

TEST_F(LaneRows, APaintAcrossGateStepsWritesTheInvertedFirstStepAndIsOneUndoEntry) {
    model::Preset preset = test::presetWithTracks(1);
    test::setSteps(preset.tracks[0].patterns[0].lane(LaneKind::gate), {1, 0, 1, 1, 0, 1});
    show(preset);
    h->drag(step("gate-lane", 0), step("gate-lane", 4), 8);
    EXPECT_EQ(test::first(lane(LaneKind::gate), 6), (std::vector<int>{0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(undoLabels(), std::vector<std::string>{"Paint gate"});
    store->undo();
    EXPECT_EQ(test::first(lane(LaneKind::gate), 6), (std::vector<int>{1, 0, 1, 1, 0, 1}));
}

TEST_F(LaneRows, APaintPastTheStepsOfAShortLaneChangesNothingAndRecordsNothing) {
    model::Preset preset = test::presetWithTracks(1);
    model::Lane& gate = preset.tracks[0].patterns[0].lane(LaneKind::gate);
    gate.steps.resize(3);
    show(preset);
    h->drag(step("gate-lane", 5), step("gate-lane", 9), 8);
    EXPECT_EQ(lane(LaneKind::gate).steps.size(), 3u);
    EXPECT_TRUE(undoLabels().empty());
    EXPECT_EQ(store->txnDepth, 0);
}

TEST_F(LaneRows, TapsOnAHoldLegatoStepCycleNothingHoldLegato) {
    model::Preset preset = test::presetWithTracks(1);
    test::setSteps(preset.tracks[0].patterns[0].lane(LaneKind::tie), {0, 3});
    show(preset);
    const struct {
        int column;
        int after;
    } taps[] = {{0, 1}, {0, 2}, {0, 0}, {1, 0}};
    for (const auto& t : taps) {
        tap(step("tie-lane", t.column));
        EXPECT_EQ(test::first(lane(LaneKind::tie), 2)[static_cast<std::size_t>(t.column)], t.after) << "column " << t.column;
    }
    EXPECT_EQ(undoLabels(), (std::vector<std::string>{"Paint tie", "Paint tie", "Paint tie", "Paint tie"}));
}

TEST_F(LaneRows, AnArmedLastStepPickOnTheSecondPageSetsTheLastStepInsteadOfPainting) {
    const struct {
        const char* button;
        int gateLastStep;
        int tieLastStep;
    } cases[] = {{"Last L", 20, 16}, {"Last A", 20, 20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        show(test::presetWithTracks(1));
        h->clickOn("page-2");
        ASSERT_EQ(store->activePageIndex(), 1);
        h->clickOn(c.button);
        h->drag(step("gate-lane", 3), step("gate-lane", 6));
        EXPECT_EQ(lane(LaneKind::gate).lastStep, c.gateLastStep);
        EXPECT_EQ(lane(LaneKind::tie).lastStep, c.tieLastStep);
        EXPECT_EQ(stepValue(lane(LaneKind::gate), 19), 0) << "nothing painted";
        EXPECT_FALSE(store->lastStepMode.get());
        EXPECT_EQ(undoLabels(), std::vector<std::string>{"Last step"});
    }
}

TEST_F(LaneRows, OnTheSecondPageColumnZeroEditsStepSixteen) {
    model::Preset preset = test::presetWithTracks(1);
    preset.tracks[0].patterns[0].lane(LaneKind::gate).lastStep = 32;
    show(preset);
    h->clickOn("page-2");
    tap(step("gate-lane", 0));
    EXPECT_EQ(stepValue(lane(LaneKind::gate), 16), 1);
    EXPECT_EQ(stepValue(lane(LaneKind::gate), 0), model::defaultStepValue(LaneKind::gate));
}

TEST_F(LaneRows, TheLastStepMarkerEndsTheFirstActiveRun) {
    const auto upTo = [](int last) { return [last](int c) { return c + 1 > last; }; };
    const struct {
        const char* name;
        std::function<bool(int)> isInactive;
        double scale;
        std::optional<double> x;
    } cases[] = {
        {"last step after column 5", upTo(6), 1, 6 * 50.0},
        {"last step beyond the page", upTo(64), 1, 799.0},
        {"the whole page past the last step", [](int) { return true; }, 1, std::nullopt},
        {"snapped to device pixels", upTo(1), 2, 50.0},
    };
    for (const auto& c : cases) EXPECT_EQ(lastStepMarkerX(c.isInactive, 800, c.scale), c.x) << c.name;
    EXPECT_EQ(lastStepMarkerX(upTo(3), 801.3, 2), 150.0) << "3 x 50.08 = 150.24 to the half pixel";
}

TEST_F(LaneRows, TheValueRowLabelsEachLaneKind) {
    const std::vector<std::string> semis{"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const struct {
        LaneKind kind;
        int value;
        bool fixOn;
        const char* label;
    } cases[] = {
        {LaneKind::notes, 0, false, "k1"},       {LaneKind::notes, 0, true, "C"},      {LaneKind::notes, 1, true, "C#"},
        {LaneKind::notes, 12, true, "C"},        {LaneKind::notes, -1, true, "B"},     {LaneKind::octave, 2, false, "+2"},
        {LaneKind::octave, -2, false, "-2"},     {LaneKind::length, 75, false, "75%"}, {LaneKind::probability, 3, false, "1/4"},
        {LaneKind::probability, 9, false, "9"},  {LaneKind::ccA, 0, false, "-"},       {LaneKind::ccB, 65, false, "64"},
        {LaneKind::velocity, 100, false, "100"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(laneValueLabel(c.kind, c.value, c.fixOn, semis), c.label) << model::rawValue(c.kind) << " " << c.value;
}

TEST_F(LaneRows, TheValueRowPaintsFixStepsOnlyUnderTheNotesLane) {
    show(test::presetWithTracks(1));
    store->activeLane.set(LaneKind::velocity);
    h->update();
    h->drag(step("value-row", 0), step("value-row", 3));
    EXPECT_TRUE(undoLabels().empty()) << "velocity shown: the row takes no input";

    store->activeLane.set(LaneKind::notes);
    h->update();
    h->drag(step("value-row", 0), step("value-row", 3), 8);
    EXPECT_EQ(test::first(lane(LaneKind::fix), 5), (std::vector<int>{1, 1, 1, 1, 0}));
    EXPECT_EQ(undoLabels(), std::vector<std::string>{"Paint fixed note"});
}

}  // namespace
}  // namespace pulvan::views
