#include <gtest/gtest.h>

#include "engine/block_processing.h"
#include "engine/editor_requests.h"
#include "engine/launch_control.h"
#include "tests/support/engine_harness.h"

#include <vector>

namespace pulvan::engine {
namespace {
namespace layout = config_layout;
using test::CollectedEvent;
using test::ConfigBuilder;
using test::EngineDriver;
using test::ofKind;
using test::ofTrack;
using test::soundingNotes;

// Every gate on at rate 16; track t plays pool entry poolIndex[t] (held when tie is 1).
ConfigBuilder scene(std::initializer_list<int> poolIndexPerTrack, int tie = 0) {
    ConfigBuilder config;
    config.pool({60, 62, 64, 65, 67, 69, 71, 72});
    config.trackCount(static_cast<int>(poolIndexPerTrack.size()));
    int t = 0;
    for (int index : poolIndexPerTrack) {
        config.allSteps(layout::kGateSteps, t, 1).allSteps(layout::kTieSteps, t, tie).perTrack(layout::kChannels, t, t + 1);
        for (int s = 0; s < kStepsPerLane; ++s) config.chord(t, s, {index});
        ++t;
    }
    return config;
}

double firstNoteTime(const std::vector<CollectedEvent>& events, int track, int note) {
    for (const auto& e : ofTrack(events, track))
        if (e.kind == kEventNoteOn && e.data1 == note) return e.time;
    return -1.0;
}

bool playsAfter(const std::vector<CollectedEvent>& events, int track, int note, double time) {
    for (const auto& e : ofTrack(events, track))
        if (e.kind == kEventNoteOn && e.data1 == note && e.time >= time) return true;
    return false;
}

class Launches : public ::testing::Test {
protected:
    void SetUp() override { driver.blockSize = 2400; }  // 0.1 quarter notes a block
    SequencerEngine& engine() { return driver.engine(); }
    void playFrom(const ConfigBuilder& config, double position) {
        driver.push(config);
        driver.block(position);
    }
    void launchScene(const ConfigBuilder& config, double target) { scheduleSceneLaunch(engine(), config.data(), config.size(), target); }
    void launchPattern(const ConfigBuilder& config, double target, int track) {
        schedulePatternLaunch(engine(), config.data(), config.size(), target, track);
    }
    // Track 0 to note 64 by a scene, track 1 to 67 by a pattern, both at 8.0.
    void launchSceneAndPattern() {
        playFrom(scene({0, 1}), 6.0);
        launchScene(scene({2, 1}), 8.0);
        launchPattern(scene({0, 4}), 8.0, 1);
    }
    EngineDriver driver;
};

struct SceneCase {
    int track1OffsetMs;
    double track1Switch;
    double lastPendingBlock;  // the commit waits until every track has switched
};

class SceneLaunches : public Launches, public ::testing::WithParamInterface<SceneCase> {};

TEST_P(SceneLaunches, EachTrackSwitchesAtItsOwnTimeAndTheCommitFollowsTheLast) {
    const auto& c = GetParam();
    driver.push(scene({0, 1}));
    const std::int32_t offsets[] = {0, c.track1OffsetMs};
    setTrackMIDIOutOffsetsMs(engine(), offsets, 2);
    driver.block(6.0);
    launchScene(scene({2, 3}), 8.0);
    const auto events = driver.playUntil(6.1, c.lastPendingBlock + 0.05);
    EXPECT_DOUBLE_EQ(firstNoteTime(events, 0, 64), 8.0);
    EXPECT_DOUBLE_EQ(firstNoteTime(events, 1, 65), c.track1Switch);
    EXPECT_EQ(engine().pendingScene.valid, 1);
    driver.next();
    EXPECT_EQ(engine().pendingScene.valid, 0);
    EXPECT_EQ(stagedSnapshot(engine()).tracks[0].chordNotes[0][0], 2);
}

// 100 ms is 0.2 quarter notes at 120 bpm.
INSTANTIATE_TEST_SUITE_P(Launches, SceneLaunches, ::testing::Values(SceneCase{0, 8.0, 8.0}, SceneCase{100, 8.2, 8.2}),
                         [](const auto& info) { return std::string(info.param.track1OffsetMs ? "delayedTrack" : "onTime"); });

TEST_F(Launches, HostLoopBeforeTheTargetCommitsInTheLoopingBlock) {
    playFrom(scene({0}), 4.0);
    launchScene(scene({2}), 8.0);
    driver.playUntil(4.1, 7.85);  // the last window ends at 8.0
    const auto events = driver.block(4.0);
    EXPECT_EQ(engine().pendingScene.valid, 0);
    EXPECT_DOUBLE_EQ(firstNoteTime(events, 0, 64), 4.0);
}

TEST_F(Launches, ALaunchInPlayKeepsPlayingWhileTheNextOneWaits) {
    playFrom(scene({0}), 6.0);
    launchScene(scene({2}), 8.0);
    driver.playUntil(6.1, 9.0);
    launchScene(scene({4}), 12.0);
    const auto events = driver.playUntil(9.1, 12.5);
    EXPECT_TRUE(playsAfter(events, 0, 64, 11.75));
    EXPECT_DOUBLE_EQ(firstNoteTime(events, 0, 67), 12.0);
}

TEST_F(Launches, APatternLaunchCommittedWithTheSceneInOneBlockWins) {
    playFrom(scene({0}), 6.0);
    launchScene(scene({2}), 8.0);
    driver.playUntil(6.1, 8.0);  // the scene is due from the block at 8.1
    launchPattern(scene({4}), 7.5, 0);
    const auto events = driver.playUntil(8.1, 9.0);
    EXPECT_FALSE(playsAfter(events, 0, 64, 8.1));
    EXPECT_TRUE(playsAfter(events, 0, 67, 8.1));
}

TEST_F(Launches, PatternLaunchReleasesOnlyItsTrack) {
    playFrom(scene({0, 1, 2}, 1), 6.0);
    ConfigBuilder next = scene({0, 1, 2}, 1);
    next.allSteps(layout::kGateSteps, 1, 0).allSteps(layout::kGateSteps, 2, 0);  // tracks 1 and 2 fall silent
    launchPattern(next, 8.0, 2);
    auto events = driver.playUntil(6.1, 9.0);
    const auto track2Offs = ofKind(ofTrack(events, 2), kEventNoteOff);
    ASSERT_FALSE(track2Offs.empty());
    EXPECT_DOUBLE_EQ(track2Offs.back().time, 8.0);
    EXPECT_EQ(currentActiveNotesLow(engine(), 2), 0u);
    EXPECT_NE(currentActiveNotesLow(engine(), 1), 0u);  // track 1 is not released by track 2's launch
}

TEST(LaunchMask, EmptyPoolSilencesTracksWithoutFixSteps) {
    ConfigBuilder config = scene({0, 1, 2});
    config.pool({}).perStep(layout::kFixSteps, 0, 3, 1).perStep(layout::kFixSteps, 2, 20, 1);  // past track 2's 16 steps
    config.allSteps(layout::kGateSteps, 1, 1);
    EXPECT_EQ(tracksWithNothingToPlay(config.decoded()), 0b110u);
    ConfigBuilder gateless = scene({0, 1});
    gateless.allSteps(layout::kGateSteps, 1, 0).perStep(layout::kGateSteps, 1, 40, 1);
    EXPECT_EQ(tracksWithNothingToPlay(gateless.decoded()), 0b10u);
}

TEST_F(Launches, CancelledPatternLaunchNeverHappensButTheSceneDoes) {
    launchSceneAndPattern();
    driver.block(6.1);
    cancelPatternLaunch(engine());
    const auto events = driver.playUntil(6.2, 9.0);
    EXPECT_TRUE(playsAfter(events, 0, 64, 8.0));
    EXPECT_FALSE(playsAfter(events, 1, 67, 0.0));
    EXPECT_TRUE(playsAfter(events, 1, 62, 8.5));
}

TEST_F(Launches, StoppingCancelsBothKinds) {
    launchSceneAndPattern();
    driver.playUntil(6.1, 7.0);
    driver.stop();
    const auto events = driver.playUntil(7.5, 9.0);
    EXPECT_FALSE(playsAfter(events, 0, 64, 0.0));
    EXPECT_FALSE(playsAfter(events, 1, 67, 0.0));
}

TEST_F(Launches, LaunchesIgnoreBadBuffersAndTracks) {
    ConfigBuilder config = scene({1});
    launchPattern(config, 8.0, 6);
    launchPattern(config, 8.0, -1);
    schedulePatternLaunch(engine(), config.data(), config.size() - 1, 8.0, 0);
    scheduleSceneLaunch(engine(), nullptr, 11112, 8.0);
    EXPECT_EQ(engine().patternQueue.generation.load(), 0u);
    EXPECT_EQ(engine().sceneQueue.generation.load(), 0u);
}

TEST_F(Launches, TimedReleaseSendsEarlierDueNoteOffsOnTime) {
    driver.blockSize = 4800;  // 0.2: one window covers both the release at 7.875 and the launch at 8.0
    playFrom(scene({0}), 7.05);
    ConfigBuilder silent = scene({0});
    silent.allSteps(layout::kGateSteps, 0, 0);
    launchScene(silent, 8.0);
    const auto events = driver.playUntil(7.25, 8.1);
    const auto offs = ofKind(events, kEventNoteOff);
    ASSERT_FALSE(offs.empty());
    EXPECT_DOUBLE_EQ(offs.back().time, 7.875);  // the 7.75 step's own end, not the launch at 8.0
    EXPECT_TRUE(soundingNotes(events).empty());
}

TEST_F(Launches, LaunchWithFewerTracksEndsTheDroppedTracksHeldNotes) {
    playFrom(scene({0, 1, 2}, 1), 6.0);
    launchScene(scene({0}, 1), 8.0);
    const auto events = driver.playUntil(6.1, 9.0);
    for (int t : {1, 2}) {
        EXPECT_TRUE(soundingNotes(ofTrack(events, t)).empty()) << t;
        EXPECT_EQ(currentActiveNotesLow(engine(), t), 0u) << t;
    }
    EXPECT_NE(currentActiveNotesLow(engine(), 0), 0u);
}

// NOTES lane of 3: the note reveals the global step modulo 3 (0 -> 60, 1 -> 62, 2 -> 64).
ConfigBuilder countingByThree() {
    ConfigBuilder config = scene({0});
    config.perTrack(layout::kNotesLastSteps, 0, 3).chord(0, 1, {1}).chord(0, 2, {2});
    return config;
}

TEST_F(Launches, ResyncArmedMidBarRestartsTheLanesAtTheNextBar) {
    driver.push(countingByThree());
    setResyncArmed(engine(), true);
    driver.block(5.0);  // anchored at 4.0; resync fixed at bar 2 = 8.0
    EXPECT_EQ(engine().resyncBar.load(), 2);
    auto events = driver.playUntil(5.1, 8.05);
    EXPECT_TRUE(isResyncArmed(engine()));
    const auto at8 = ofKind(events, kEventNoteOn).back();
    EXPECT_DOUBLE_EQ(at8.time, 8.0);
    EXPECT_EQ(at8.data1, 60);  // global step 0 again (unaligned it would be step 16: 62)
    driver.next();             // starts at 8.1
    EXPECT_FALSE(isResyncArmed(engine()));
    EXPECT_DOUBLE_EQ(engine().timeline.gridAnchor, 8.0);
    EXPECT_EQ(currentStepGlobal(engine(), 0), 0);
}

struct CountInResyncCase {
    const char* name;
    double start;      // the host's first playing block, resync armed before it
    std::int64_t bar;  // the bar line the resync is fixed on
    double beat;       // that bar line in quarter notes
    int offsetMs;      // track 0's output offset
    double heardAt;    // the realigned step sounds here; the resync fires in the next block
};

class CountInResync : public Launches, public ::testing::WithParamInterface<CountInResyncCase> {};

// A host counting in reports negative positions; the bar lines there resync like any other.
TEST_P(CountInResync, FiresOnceThePositionPassesItsBeatAndDelay) {
    const auto& c = GetParam();
    driver.push(countingByThree());
    const std::int32_t offsets[] = {c.offsetMs};
    setTrackMIDIOutOffsetsMs(engine(), offsets, 1);
    setResyncArmed(engine(), true);
    driver.block(c.start);
    EXPECT_EQ(engine().resyncBar.load(), c.bar);
    const auto events = driver.playUntil(c.start + driver.blockQN(), c.heardAt + 0.05);
    EXPECT_TRUE(isResyncArmed(engine()));
    const auto atBar = ofKind(events, kEventNoteOn).back();
    EXPECT_DOUBLE_EQ(atBar.time, c.heardAt);
    EXPECT_EQ(atBar.data1, 60);  // global step 0 again (unaligned it would be step 16: 62)
    driver.next();
    EXPECT_FALSE(isResyncArmed(engine()));
    EXPECT_DOUBLE_EQ(engine().timeline.gridAnchor, c.beat);
}

// 100 ms is 0.2 quarter notes at 120 bpm.
INSTANTIATE_TEST_SUITE_P(Launches, CountInResync,
                         ::testing::Values(CountInResyncCase{"fromMinusEight", -8.0, -1, -4.0, 0, -4.0},
                                           CountInResyncCase{"fromMinusEightDelayed", -8.0, -1, -4.0, 100, -3.8},
                                           CountInResyncCase{"inTheLastCountInBar", -2.5, 0, 0.0, 0, 0.0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Launches, ResyncArmedOnABarLineWaitsForTheNextOne) {
    playFrom(countingByThree(), 7.9);
    setResyncArmed(engine(), true);
    driver.next();  // starts at 8.0
    EXPECT_EQ(engine().resyncBar.load(), 3);
    setResyncArmed(engine(), false);
    EXPECT_EQ(engine().resyncBar.load(), kResyncBarUnset);
    driver.playUntil(8.1, 9.0);
    setResyncArmed(engine(), true);
    driver.next();
    EXPECT_EQ(engine().resyncBar.load(), 3);
}

TEST_F(Launches, ResyncAlwaysReanchorsEvenWhenItFiresJustAfterItsBeat) {
    driver.blockSize = 6000;  // 0.25
    driver.push(countingByThree());
    setResyncArmed(engine(), true);
    driver.playUntil(5.0, 7.8);  // the last window ends at 8.0
    driver.block(8.0005);        // continues (within 0.001) and fires before the change could retire
    EXPECT_FALSE(isResyncArmed(engine()));
    EXPECT_DOUBLE_EQ(engine().timeline.gridAnchor, 8.0);
    const auto events = driver.next();  // [8.2505, 8.5005): the step at 8.5 is global step 2
    ASSERT_EQ(ofKind(events, kEventNoteOn).size(), 1u);
    EXPECT_EQ(ofKind(events, kEventNoteOn)[0].data1, 64);  // with the old anchor: step 18, 60
}

}  // namespace
}  // namespace pulvan::engine
