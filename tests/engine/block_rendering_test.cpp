#include <gtest/gtest.h>

#include "engine/block_processing.h"
#include "engine/editor_requests.h"
#include "tests/support/engine_harness.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace pulvan::engine {
namespace {
namespace layout = config_layout;
using test::CollectedEvent;
using test::ConfigBuilder;
using test::EngineDriver;
using test::ofKind;
using test::ofTrack;

struct Note {
    double time;
    int note;
    int velocity;
    bool operator==(const Note&) const = default;
};

void PrintTo(const Note& n, std::ostream* os) { *os << "{" << n.time << ", " << n.note << ", " << n.velocity << "}"; }

std::vector<Note> notesOn(const std::vector<CollectedEvent>& events) {
    std::vector<Note> out;
    for (const auto& e : ofKind(events, kEventNoteOn)) out.push_back({e.time, e.data1, e.data2});
    return out;
}

// Track 0 at rate 16, every gate on, the NOTES lane `notesLength` long; the note played
// tells the NOTES lane position (pool note 40 + position).
ConfigBuilder countingConfig(int notesLength = 16, int tie = 0) {
    ConfigBuilder config;
    config.pool({40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55});
    config.allSteps(layout::kGateSteps, 0, 1).allSteps(layout::kTieSteps, 0, tie).perTrack(layout::kNotesLastSteps, 0, notesLength);
    for (int s = 0; s < 16; ++s) config.chord(0, s, {s});
    return config;
}

// Tracks 0 and 2 hold their notes (track 2 on `channelOfTrack2`); track 1 has every gate off.
ConfigBuilder heldTracks(int channelOfTrack2) {
    ConfigBuilder config = countingConfig(16, 1);
    config.trackCount(3).allSteps(layout::kGateSteps, 2, 1).allSteps(layout::kTieSteps, 2, 1);
    return config.perTrack(layout::kChannels, 2, channelOfTrack2);
}

TEST(DemoConfiguration, FirstBarPlaysEightEighthsWithRestsAndAccents) {
    EngineDriver driver;
    const auto events = driver.playUntil(0.0, 3.99);
    auto firstBar = notesOn(events);
    std::erase_if(firstBar, [](const Note& n) { return n.time >= 4.0; });
    EXPECT_EQ(firstBar, (std::vector<Note>{{0.0, 48, 110}, {0.5, 60, 90}, {1.0, 63, 90}, {2.0, 70, 110}, {2.5, 48, 90}, {3.5, 63, 90}}));
    const auto offs = ofKind(events, kEventNoteOff);
    ASSERT_GE(offs.size(), 5u);
    EXPECT_DOUBLE_EQ(offs[0].time, 0.3);
    EXPECT_EQ(offs[0].data1, 48);
    // 0.5 quarter notes = 12000 samples at 120 bpm and 48 kHz: block 23, offset 224.
    const auto second = ofKind(events, kEventNoteOn)[1];
    EXPECT_EQ(second.block, 23);
    EXPECT_EQ(second.sample, 224);
    for (const auto& e : events) EXPECT_EQ(e.channel, 0);
}

TEST(Transport, ANoteEndingExactlyAtABlocksEndEndsOnTheNextBlocksFirstSample) {
    // The demo's first note ends at 0.3 quarter notes = sample 7200 at 120 bpm and 48 kHz;
    // with these block sizes the block ends land on 0.3 exactly in binary arithmetic too.
    for (int blockSize : {7200, 3600}) {
        EngineDriver driver;
        driver.blockSize = blockSize;
        const auto offs = ofKind(driver.playUntil(0.0, 0.5), kEventNoteOff);
        ASSERT_FALSE(offs.empty());
        EXPECT_DOUBLE_EQ(offs[0].time, 0.3);
        EXPECT_EQ(offs[0].block, 7200 / blockSize) << blockSize;
        EXPECT_EQ(offs[0].sample, 0) << blockSize;
    }
}

TEST(Transport, StartInsideABarAnchorsAtTheBarAndPlaysTheStepInProgress) {
    EngineDriver driver;
    driver.push(countingConfig());
    const auto events = driver.block(5.3);
    ASSERT_FALSE(notesOn(events).empty());
    EXPECT_EQ(notesOn(events)[0], (Note{5.3, 45, 100}));  // global step 5
    EXPECT_EQ(events.front().sample, 0);
    EXPECT_EQ(currentStepGlobal(driver.engine(), 0), 5);
}

TEST(Transport, StartJustBeforeABarLineAnchorsOnIt) {
    EngineDriver driver;
    driver.push(countingConfig());
    const auto events = driver.playUntil(3.9995, 4.02);
    ASSERT_FALSE(notesOn(events).empty());
    EXPECT_EQ(notesOn(events)[0], (Note{4.0, 40, 100}));
}

// Held notes, a NOTES lane of 3, blocks of 0.25 quarter notes played up to 8.0.
std::vector<CollectedEvent> playTwoHeldBars(EngineDriver& driver) {
    driver.push(countingConfig(3, 1));
    driver.blockSize = 6000;
    return driver.playUntil(0.0, 7.8);
}

TEST(Transport, HostLoopKeepsHeldNotesAndContinuesTheLanes) {
    EngineDriver driver;
    auto events = playTwoHeldBars(driver);
    ASSERT_EQ(ofKind(events, kEventNoteOn).back().time, 7.75);  // global step 31: position 1
    EXPECT_EQ(ofKind(events, kEventNoteOn).back().data1, 41);
    events = driver.block(0.0);  // the host loops from 8.0 back to 0.0
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, kEventNoteOff);  // released by the next step, not by the loop
    EXPECT_EQ(events[0].data1, 41);
    EXPECT_EQ(events[1].kind, kEventNoteOn);
    EXPECT_EQ(events[1].data1, 42);  // global step 32 continues the lane: position 2
    EXPECT_DOUBLE_EQ(events[1].time, 0.0);
}

TEST(Transport, ForwardJumpReleasesEverythingAndRestartsTheGrid) {
    EngineDriver driver;
    playTwoHeldBars(driver);
    const auto events = driver.block(20.0);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0].kind, kEventNoteOff);
    EXPECT_DOUBLE_EQ(events[0].time, 20.0);
    EXPECT_EQ(notesOn(events)[0], (Note{20.0, 40, 100}));  // global step 0 at 20.0
    EXPECT_TRUE(test::soundingNotes(events).size() == 1u);
}

TEST(Transport, LoopByANonWholeNumberOfBarsShiftsExactly) {
    EngineDriver driver;
    driver.push(countingConfig(16, 1));
    driver.blockSize = 6000;
    driver.playUntil(0.0, 5.1);             // the last window ends at 5.25 (global step 21 next)
    const auto events = driver.block(0.3);  // back by 4.95: not a whole number of bars
    EXPECT_DOUBLE_EQ(driver.engine().timeline.gridAnchor, -4.95);
    // The window continues at 0.3 without realigning; the next grid step, at 0.5, counts on.
    ASSERT_FALSE(notesOn(events).empty());
    EXPECT_EQ(notesOn(events)[0], (Note{0.5, 46, 100}));
    EXPECT_TRUE(ofKind(events, kEventNoteOff).size() == 1u);
}

struct OffsetCase {
    int offsetMs;
    double expectedShift;
};

class OutputOffsets : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(OutputOffsets, ShiftTheTracksEvents) {
    EngineDriver driver;
    ConfigBuilder config = countingConfig();
    config.trackCount(2).allSteps(layout::kGateSteps, 1, 1).chord(1, 0, {0}).perTrack(layout::kChannels, 1, 2);
    driver.push(config);
    const std::int32_t offsets[] = {0, GetParam().offsetMs};
    setTrackMIDIOutOffsetsMs(driver.engine(), offsets, 2);
    const auto events = driver.playUntil(4.0, 6.0);
    // Compare the step at 5.0 on both tracks.
    auto startsAt = [&](int track, double t) {
        const auto notes = notesOn(ofTrack(events, track));
        return std::any_of(notes.begin(), notes.end(), [t](const Note& n) { return std::abs(n.time - t) < 1e-9; });
    };
    EXPECT_TRUE(startsAt(0, 5.0));
    EXPECT_TRUE(startsAt(1, 5.0 + GetParam().expectedShift));
}

INSTANTIATE_TEST_SUITE_P(Transport, OutputOffsets,
                         ::testing::Values(OffsetCase{100, 0.2}, OffsetCase{-200, -0.4}, OffsetCase{250, 0.4}, OffsetCase{-1000, -0.4},
                                           OffsetCase{0, 0.0}));

TEST(Transport, StopReleasesEveryHeldNoteOnceAtTheFirstSample) {
    EngineDriver driver;
    driver.push(heldTracks(5));
    auto events = driver.playUntil(0.0, 1.1);
    auto stopped = driver.stop();
    events.insert(events.end(), stopped.begin(), stopped.end());
    EXPECT_TRUE(test::soundingNotes(events).empty());
    ASSERT_EQ(ofKind(stopped, kEventNoteOff).size(), 2u);
    for (const auto& e : stopped) EXPECT_EQ(e.sample, 0);
    EXPECT_TRUE(driver.stop().empty());
    EXPECT_EQ(currentStepGlobal(driver.engine(), 0), -1);
    EXPECT_EQ(currentActiveNotesLow(driver.engine(), 0), 0u);
    EXPECT_FALSE(isTransportMoving(driver.engine()));
}

TEST(Transport, GateOffStepKeepsHeldNotesAndAMutedStepEndsThem) {
    EngineDriver driver;
    ConfigBuilder config;
    config.pool({60}).gates(0, {0, 2}).allSteps(layout::kTieSteps, 0, 1);
    driver.push(config);
    const auto held = driver.playUntil(0.0, 0.6);
    const auto offs = ofKind(held, kEventNoteOff);
    ASSERT_EQ(offs.size(), 1u);
    EXPECT_DOUBLE_EQ(offs[0].time, 0.5);  // the gate-off step at 0.25 left it sounding
    config.perTrack(layout::kTrackMutes, 0, 1);
    driver.push(config);
    const auto muted = driver.playUntil(driver.blockQN() * 29, 1.1);
    ASSERT_EQ(ofKind(muted, kEventNoteOff).size(), 1u);
    EXPECT_DOUBLE_EQ(ofKind(muted, kEventNoteOff)[0].time, 0.75);  // the first muted step
    EXPECT_TRUE(notesOn(muted).empty());
}

TEST(Transport, AbsurdHostValuesNeitherHangNorMisbehave) {
    EngineDriver driver;
    driver.push(countingConfig(16, 1));
    driver.playUntil(0.0, 0.04);
    for (double position : {1e300, -1e300, 3.0e18, -7.5}) driver.block(position);
    driver.tempo = 1e9;  // a window of millions of steps
    const auto events = driver.block(2.0);
    EXPECT_LE(events.size(), static_cast<size_t>(kEventCapacity));
    auto all = driver.stop();
    EXPECT_TRUE(test::soundingNotes(all).empty());
}

TEST(Transport, SevenEightBarMeasureProgressAndALegatoOverlapOfSixtyFourSamples) {
    EXPECT_DOUBLE_EQ(barLengthQN(7, 8), 3.5);
    EXPECT_DOUBLE_EQ(barLengthQN(0, 4), 4.0);
    EXPECT_DOUBLE_EQ(barLengthQN(3, 0), 4.0);
    EngineDriver driver;
    driver.barLength = 3.5;
    driver.block(5.25);
    EXPECT_DOUBLE_EQ(currentMeasureProgress(driver.engine()), 0.5);
    EXPECT_DOUBLE_EQ(currentBeatPosition(driver.engine()), 5.25);
    EXPECT_TRUE(isTransportMoving(driver.engine()));
    EXPECT_EQ(currentStepGlobal(driver.engine(), 0), 3);   // rate 8 anchored at 3.5
    EXPECT_EQ(currentStepGlobal(driver.engine(), 1), -1);  // beyond the track count
    EXPECT_NEAR(driver.engine().voices.legatoOverlapQN, 0.0026666666666, 1e-12);
}

struct SampleCase {
    double time;
    int expected;
};

class SampleOffsets : public ::testing::TestWithParam<SampleCase> {};

TEST_P(SampleOffsets, RoundHalfAwayAndClampIntoTheBlock) {
    // 1 quarter note = 24000 samples at 120 bpm, 48 kHz; block of 512 at position 10.
    EXPECT_EQ(eventSampleOffset(10.0 + GetParam().time / 24000.0, 10.0, 120.0, 48000.0, 512), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Transport, SampleOffsets,
                         ::testing::Values(SampleCase{0.0, 0}, SampleCase{1.5, 2}, SampleCase{1.49, 1}, SampleCase{-3.0, 0},
                                           SampleCase{511.0, 511}, SampleCase{900.0, 511}));

struct ConfigChangeCase {
    const char* name;
    int trackCount;       // of the new configuration
    int channelOfTrack2;  // 1-based
    bool changeSteps;
    bool releases;
};

class ConfigurationChange : public ::testing::TestWithParam<ConfigChangeCase> {};

TEST_P(ConfigurationChange, ReleasesOnlyWhenTracksGoOrChannelsMove) {
    const auto& c = GetParam();
    EngineDriver driver;
    ConfigBuilder config = heldTracks(2);
    driver.push(config);
    driver.playUntil(0.0, 0.1);
    config.trackCount(c.trackCount).perTrack(layout::kChannels, 2, c.channelOfTrack2);
    if (c.changeSteps) config.chord(0, 3, {9});
    driver.push(config);
    const auto events = driver.next();
    int blockStartOffs = 0;
    for (const auto& e : events) blockStartOffs += e.kind == kEventNoteOff && e.time == kBlockStartTime;
    EXPECT_EQ(blockStartOffs, c.releases ? 2 : 0);
}

INSTANTIATE_TEST_SUITE_P(Configuration, ConfigurationChange,
                         ::testing::Values(ConfigChangeCase{"channelMoves", 3, 5, false, true},
                                           ConfigChangeCase{"stepsOnly", 3, 2, true, false},
                                           ConfigChangeCase{"fewerTracks", 2, 2, false, true},
                                           ConfigChangeCase{"moreTracks", 4, 2, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Lifecycle, ResetShowsNoStepUntilTheNextPlayingBlock) {
    EngineDriver driver;
    driver.block(1.0);
    resetEngine(driver.engine());
    for (int t = 0; t < kTrackCount; ++t) EXPECT_EQ(currentStepGlobal(driver.engine(), t), -1);
    driver.block(1.0);
    EXPECT_EQ(currentStepGlobal(driver.engine(), 0), 2);
}

TEST(Lifecycle, DisablingEndsEveryNoteAndPlaysAsStoppedUntilEnabled) {
    EngineDriver driver;
    SequencerEngine& engine = driver.engine();
    driver.push(countingConfig(16, 1));
    // (reset, all notes off) as requested of the next block
    auto requests = [&] { return std::pair<int, int>(engine.resetRequested.load(), engine.allNotesOffRequested.load()); };
    setEnabled(engine, true);  // already enabled: nothing
    EXPECT_EQ(requests(), std::pair(0, 0));
    auto events = driver.playUntil(0.0, 0.6);
    setEnabled(engine, false);
    EXPECT_EQ(requests(), std::pair(1, 1));
    const auto after = driver.next();
    EXPECT_TRUE(notesOn(after).empty());
    EXPECT_EQ(engine.resetRequested.load(), 0);
    events.insert(events.end(), after.begin(), after.end());
    EXPECT_TRUE(test::soundingNotes(events).empty());
    setEnabled(engine, true);
    EXPECT_EQ(engine.resetRequested.load(), 1);
    EXPECT_FALSE(notesOn(driver.block(0.0)).empty());
}

}  // namespace
}  // namespace pulvan::engine
