#include "tests/editor/link/link_fixture.h"
#include "tests/editor/link/recording_hooks.h"

#include <algorithm>

namespace pulvan::test {
namespace {

struct NextLaunchCase {
    int current;
    int grid;
    int expected;
};

TEST(NextLaunchSixteenthTest, TheBoundaryIsAlwaysStrictlyAfterTheCurrentSixteenth) {
    const NextLaunchCase cases[] = {{7, 4, 8}, {8, 4, 12}, {37, 16, 48}, {13, 16, 16}, {8, 1, 9}, {0, 2, 2}, {-3, 4, 0}, {5, 0, 6}};
    for (const auto& c : cases)
        EXPECT_EQ(link::StoreLink::nextLaunchSixteenth(c.current, c.grid), c.expected) << c.current << " / " << c.grid;
}

class LaunchTest : public BridgeTest {
protected:
    void SetUp() override {
        live.hooks = recordingHooks(live.engine.get());
        start();
        // A note on step 0 of track 0: one every bar at the default 16 steps of sixteenths.
        store().beginTransaction("Paint gate");
        store().preset.modify([](model::Preset& p) {
            p.tracks[0].patterns[0].lane(model::LaneKind::gate).steps[0] = 1;
            p.tracks[0].patterns[1] = p.tracks[0].patterns[0];
            p.tracks[0].patterns[1].lane(model::LaneKind::velocity).steps[0] = 33;
            p.chordPresets[1].chord = {62};
        });
        store().endTransaction();
        recordedCalls().clear();
    }
    link::StoreLink& link() { return bridge->link(); }
    void setResolutions(int scene, int pattern) {
        store().preset.modify([&](model::Preset& p) {
            p.sceneLaunchResolution = scene;
            p.patternLaunchResolution = pattern;
        });
    }
    // Plays [from, to) in blocks of a sixteenth and returns the note-ons.
    std::vector<engine::EngineEvent> play(double from, double to) {
        std::vector<engine::EngineEvent> ons;
        for (double at = from; at < to - 1e-9; at += 0.25) {
            for (const auto& e : live.render(at, 0.25))
                if (e.kind == engine::kEventNoteOn) ons.push_back(e);
        }
        return ons;
    }
    void poll() { link().pollHostedEngineState(); }
    // A scene launch for the bar at 4.0, scheduled at 1.0 and dropped by undoing a
    // rename: the store forgets it, the engine cannot.
    void dropASceneLaunchByUndo() {
        setResolutions(1, 16);
        store().beginTransaction("Rename track");
        store().preset.modify([](model::Preset& p) { p.tracks[0].name = "Lead"; });
        store().endTransaction();
        play(0.0, 1.0);
        ASSERT_TRUE(link().scheduleSceneSelection(1));
        store().undo();
        ASSERT_FALSE(store().pendingSceneSelectionIndex);
    }
};

struct GridCase {
    int resolution;
    int expectedTarget;  // from sixteenth 37.5
    double expectedProgress;
};

TEST_F(LaunchTest, SceneTargetsAndProgressForEachResolution) {
    const GridCase cases[] = {{1, 48, (37.5 - 32) / 16}, {4, 40, (37.5 - 36) / 4}, {8, 38, (37.5 - 36) / 2}, {16, 38, 0.5}, {3, 38, 0.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resolution);
        setResolutions(c.resolution, 16);
        live.render(9.375, 0.0625);  // the engine's position is the block's start: 37.5 sixteenths
        recordedCalls().clear();
        ASSERT_TRUE(link().scheduleSceneSelection(1));
        EXPECT_EQ(store().pendingSceneSelectionTargetSixteenthStep, c.expectedTarget);
        EXPECT_TRUE(store().pendingSceneSelectionScheduledInEngine);
        EXPECT_DOUBLE_EQ(store().playhead.sceneSelectionProgress.get(), c.expectedProgress);
        EXPECT_EQ(recordedCalls(), std::vector<std::string>{"scene at " + std::to_string(c.expectedTarget * 0.25)});
        EXPECT_EQ(store().isSceneLaunchResolutionBarOrBeat(), c.resolution == 1 || c.resolution == 4);
        store().dropPendingSceneSelection();
    }
}

TEST_F(LaunchTest, AHostedSceneLaunchSwitchesInTheEngineAtTheBarAndTheStoreFollows) {
    setResolutions(1, 16);
    play(0.0, 1.0);
    ASSERT_TRUE(link().scheduleSceneSelection(1));
    const auto ons = play(1.0, 4.25);
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_DOUBLE_EQ(ons[0].time, 4.0);
    EXPECT_EQ(ons[0].data1, 62) << "the scene's chord plays from its bar on";
    poll();
    EXPECT_FALSE(store().pendingSceneSelectionIndex);
    EXPECT_EQ(store().activeSceneIndex.get(), 1);
    EXPECT_EQ(store().preset->notesPool, std::vector<int>{62});
    EXPECT_DOUBLE_EQ(store().playhead.sceneSelectionProgress.get(), 0.0);
}

TEST_F(LaunchTest, ASceneLaunchDroppedByUndoDoesNotFireWithTheOldConfiguration) {
    ASSERT_NO_FATAL_FAILURE(dropASceneLaunchByUndo());
    const auto ons = play(1.0, 4.25);
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_EQ(ons[0].data1, 60) << "the engine keeps playing what the store shows";
    EXPECT_EQ(store().activeSceneIndex.get(), 0);
}

struct EditAfterDropCase {
    double editAt;         // the engine has played up to here when the edit is pushed
    int velocityAtTarget;  // of the note at the dropped launch's beat, 4.0
};

// The engine cannot cancel the dropped launch; whatever it switches to at its beat must be
// what the store holds then, including edits pushed after the drop.
TEST_F(LaunchTest, AnEditAfterADroppedSceneLaunchSurvivesItsTargetBeat) {
    const EditAfterDropCase cases[] = {
        {1.0, 77},    // right after the drop
        {3.75, 77},   // in the last sixteenth before the target
        {4.25, 100},  // the note at 4.0 has sounded, the engine has not yet switched
        {4.5, 100},   // the engine switched at 4.25
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.editAt);
        ASSERT_NO_FATAL_FAILURE(dropASceneLaunchByUndo());
        auto ons = play(1.0, c.editAt);
        store().beginTransaction("Edit velocity");
        store().preset.modify([](model::Preset& p) { p.tracks[0].patterns[0].lane(model::LaneKind::velocity).steps[0] = 77; });
        store().endTransaction();
        const auto later = play(c.editAt, 8.25);
        ons.insert(ons.end(), later.begin(), later.end());
        ASSERT_EQ(ons.size(), 2u);
        EXPECT_DOUBLE_EQ(ons[0].time, 4.0);
        EXPECT_EQ(ons[0].data1, 60) << "the dropped scene's chord never plays";
        EXPECT_EQ(ons[0].data2, c.velocityAtTarget);
        EXPECT_EQ(ons[1].data2, 77) << "the edit still plays at 8.0";
        store().undo();  // the velocity
        live.renderStopped();
    }
}

struct PushAfterDropCase {
    double playedTo;  // the engine has played up to here when the pushes come
    int pushes;
    int replacements;  // of the dropped launch, among those pushes
};

// Until its beat has passed every push replaces the dropped launch; the push that finds it
// passed replaces it a last time, and later pushes leave the engine's scene queue alone.
TEST_F(LaunchTest, ADroppedSceneLaunchIsReplacedUntilItsBeatHasPassedAndNoLonger) {
    const PushAfterDropCase cases[] = {{3.75, 3, 3}, {4.5, 3, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.playedTo);
        ASSERT_NO_FATAL_FAILURE(dropASceneLaunchByUndo());
        play(1.0, c.playedTo);
        recordedCalls().clear();
        for (int i = 0; i < c.pushes; ++i) store().refreshAppPlayConfiguration(false, {});
        EXPECT_EQ(std::count(recordedCalls().begin(), recordedCalls().end(), "scene at 4.000000"), c.replacements);
        play(c.playedTo, 4.5);
        live.renderStopped();
    }
}

TEST_F(LaunchTest, SelectingTheChordInPlaceWhileASceneLaunchWaitsWithdrawsTheLaunch) {
    setResolutions(1, 16);
    play(0.0, 1.0);
    ASSERT_TRUE(link().scheduleSceneSelection(1));
    ASSERT_EQ(store().preset->notesPool, store().preset->chordPresets[0].chord);
    store().selectChord(0);
    const auto ons = play(1.0, 4.25);
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_EQ(ons[0].data1, 60) << "the dropped scene's chord never plays";
    EXPECT_EQ(store().activeSceneIndex.get(), 0);
}

TEST_F(LaunchTest, APatternLaunchAppliesAtItsSixteenthNotBefore) {
    setResolutions(1, 16);
    const auto id = store().preset->tracks[0].id;
    play(1.75, 2.0);
    live.render(2.0, 0.0);
    ASSERT_TRUE(link().schedulePatternSelection(id, 1));
    EXPECT_EQ(store().pendingPatternSelectionTargetSixteenthStep, 9);
    EXPECT_EQ(recordedCalls().back(), "pattern 0 at 2.250000");
    live.render(8.999 / 4, 0.0);
    poll();
    EXPECT_TRUE(store().pendingPatternSelectionTrackID) << "8.999 is before the boundary";
    live.render(2.25, 0.0);
    poll();
    EXPECT_FALSE(store().pendingPatternSelectionTrackID);
    EXPECT_EQ(store().selections->at(id).pattern, 1);
    EXPECT_DOUBLE_EQ(store().playhead.patternSelectionProgress.get(), 0.0);
}

TEST_F(LaunchTest, ALoopBackBeforeTheTargetAppliesALaunchTheEngineHolds) {
    setResolutions(1, 16);
    play(11.0, 11.5);
    ASSERT_TRUE(link().scheduleSceneSelection(1));
    EXPECT_EQ(store().pendingSceneSelectionTargetSixteenthStep, 48);
    poll();  // previous position 45
    live.render(0.0, 0.25);
    poll();  // back to 0
    EXPECT_FALSE(store().pendingSceneSelectionIndex);
    EXPECT_EQ(store().activeSceneIndex.get(), 1);
}

TEST_F(LaunchTest, TheThirdStoppedPollAppliesLaunchesHeldByTheStoreAndClearsTheDisplay) {
    const auto id = store().preset->tracks[0].id;
    play(0.0, 1.0);
    poll();
    ASSERT_FALSE(store().playhead.globalStepByTrackID->empty());
    store().pendingSceneSelectionIndex = 1;
    store().pendingSceneSelectionTargetSixteenthStep = 16;
    store().pendingPatternSelectionTrackID = id;
    store().pendingPatternSelectionPatternIndex = 1;
    store().pendingPatternSelectionTargetSixteenthStep = 16;
    live.renderStopped();
    poll();
    poll();
    EXPECT_FALSE(store().playhead.globalStepByTrackID->empty()) << "two stopped polls keep the display";
    EXPECT_TRUE(store().pendingSceneSelectionIndex);
    EXPECT_TRUE(store().pendingPatternSelectionTrackID);
    poll();
    EXPECT_TRUE(store().playhead.globalStepByTrackID->empty());
    EXPECT_FALSE(store().pendingSceneSelectionIndex);
    EXPECT_FALSE(store().pendingPatternSelectionTrackID);
    EXPECT_EQ(store().activeSceneIndex.get(), 1);
    EXPECT_EQ(store().selections->at(id).pattern, 1);
}

}  // namespace
}  // namespace pulvan::test

namespace pulvan::test {
namespace {

// A host that reports absurd but finite beats, or a measure progress that is not a number.
class HostileHostTest : public StoreLinkTest {
protected:
    double beat = 0.0;
    double progress = 0.0;
    void SetUp() override {
        auto& h = store->hooks;
        h.hostedAppPlayState = [](int) { return std::pair<int, bool>{0, true}; };
        h.hostedAppPlayBeatPosition = [this] { return beat; };
        h.hostedAppPlayMeasureProgress = [this] { return progress; };
        h.hostedAppPlayIsResyncArmed = [] { return true; };
        store->isHostedUI.set(true);
    }
};

TEST_F(HostileHostTest, HugeBeatsSaturateTheLaunchTarget) {
    const struct {
        double beat;
        int target;
    } cases[] = {{1e300, (1 << 30) + 1}, {5.4e8, (1 << 30) + 1}, {-1e300, -(1 << 30) + 1}, {2.0, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.beat);
        beat = c.beat;
        store->preset.modify([](model::Preset& p) { p.sceneLaunchResolution = 16; });
        ASSERT_TRUE(link->scheduleSceneSelection(1));
        EXPECT_EQ(store->pendingSceneSelectionTargetSixteenthStep, c.target);
        const double shown = store->playhead.sceneSelectionProgress.get();
        EXPECT_TRUE(shown >= 0.0 && shown <= 1.0) << shown;
        store->dropPendingSceneSelection();
    }
}

TEST_F(HostileHostTest, AMeasureProgressThatIsNotANumberShowsZeroAndIsWrittenOnce) {
    progress = std::numeric_limits<double>::quiet_NaN();
    store->resyncModeActive.set(true);
    int resyncWrites = 0;
    const auto connection = store->playhead.resyncMeasureProgress.subscribe([&](double) { ++resyncWrites; });
    store->hostedMIDIRecordMode.set(store::HostedMIDIRecordMode::armStart);
    for (int i = 0; i < 3; ++i) link->pollHostedEngineState();
    EXPECT_EQ(store->playhead.resyncMeasureProgress.get(), 0.0);
    EXPECT_LE(resyncWrites, 1);
    EXPECT_EQ(store->hostedMIDIRecordMeasureProgress.get(), 0.0);
}

}  // namespace
}  // namespace pulvan::test
