#include "audiounit/midi_recorder.h"

#include <gtest/gtest.h>

#include "tests/audiounit/midi_file_csv.h"

#include <memory>

namespace pulvan::au::test {
namespace {

// Drives a recorder's clock as the render path does: one block of `blockQN` at a time, at
// 120 bpm and 48 kHz (one beat = 24000 samples), with the sample clock following the beat.
class Recorder : public ::testing::Test {
protected:
    void SetUp() override { initRecorder(*recorder); }

    // Runs blocks from `from` until the block that contains `to`; returns where the next starts.
    double runUntil(double from, double to, double barLength = 4.0) {
        double beat = from;
        do {
            block(beat, barLength);
            beat += blockQN;
        } while (beat <= to);
        return beat;
    }

    void block(double beat, double barLength = 4.0) {
        advanceAppPlayMIDIRecord(*recorder, beat, beat + blockQN, barLength, 120.0, trackCount);
        setRecorderClock(*recorder, beat, sampleOf(beat), 120.0, 48000.0);
    }

    static std::int64_t sampleOf(double beat) { return static_cast<std::int64_t>(beat * 24000.0 + 0.5); }
    void capture(double beat, std::uint8_t status = 0x90, std::int32_t track = 0) {
        captureRecordedEvent(*recorder, sampleOf(beat), track, status, 60, 100);
    }
    std::int32_t state() const { return recorder->state.load(); }

    std::unique_ptr<AppPlayMIDIRecorder> recorder = std::make_unique<AppPlayMIDIRecorder>();
    double blockQN = 0.25;
    std::int32_t trackCount = 1;
};

TEST_F(Recorder, ATakeStartsAtTheBarLineAfterTheArm) {
    armRecordStart(*recorder, true);
    EXPECT_EQ(state(), kRecordArmStart);
    runUntil(5.2, 7.5);
    EXPECT_EQ(state(), kRecordArmStart);
    block(7.75);  // this block reaches beat 8
    EXPECT_EQ(state(), kRecordRecording);
    EXPECT_DOUBLE_EQ(recorder->takeStartBeat, 8.0);
    capture(7.8);                  // before the take: dropped
    capture(8.0 - 1.0 / 24000.0);  // one sample early: kept, at the take's start
    capture(7.9);
    ASSERT_EQ(recorder->count, 1);
    EXPECT_DOUBLE_EQ(recorder->events[0].time, 8.0);
}

TEST_F(Recorder, AStopEndsAtTheNextBarLine) {
    struct Case {
        double stopArmedAt;
        double expectedEnd;
        std::uint32_t expectedBars;
        long expectedEndTicks;
    };
    const Case cases[] = {{13.0, 16.0, 2, 7680}, {16.0, 20.0, 3, 11520}, {8.5, 12.0, 1, 3840}};
    for (const Case& c : cases) {
        SetUp();
        armRecordStart(*recorder, true);
        double next = runUntil(7.0, c.stopArmedAt - 0.01);
        armRecordStop(*recorder, true);
        EXPECT_EQ(state(), kRecordArmStop);
        next = runUntil(next, c.expectedEnd - 0.01);
        EXPECT_EQ(state(), kRecordArmStop) << c.stopArmedAt;
        block(next);
        EXPECT_EQ(state(), kRecordIdle) << c.stopArmedAt;
        EXPECT_EQ(recorder->recordBarCount.load(), c.expectedBars);
        auto file = consumeRecordedTake(*recorder);
        ASSERT_TRUE(file.has_value()) << c.stopArmedAt;
        const auto ends = rowsOfType(midicsvRows(*file), "End_track");
        ASSERT_EQ(ends.size(), 2u);
        EXPECT_EQ(ends[0].tick, c.expectedEndTicks) << c.stopArmedAt;
        EXPECT_FALSE(consumeRecordedTake(*recorder).has_value()) << "handed out twice";
    }
}

TEST_F(Recorder, ATakeLeftRecordingStopsItselfAtOneHundredBars) {
    armRecordStart(*recorder, true);
    blockQN = 1.0;
    const double next = runUntil(0.0, 403.0);
    EXPECT_EQ(state(), kRecordRecording);
    EXPECT_EQ(recorder->recordBarCount.load(), 99u);
    block(next);
    EXPECT_EQ(state(), kRecordIdle);
    EXPECT_EQ(recorder->recordBarCount.load(), 100u);
    EXPECT_DOUBLE_EQ(recorder->takeEndBeat, 404.0);
    EXPECT_TRUE(consumeRecordedTake(*recorder).has_value());
}

TEST_F(Recorder, DisarmingBeforeTheBarLineLeavesNothingToCollect) {
    armRecordStart(*recorder, true);
    runUntil(1.0, 2.0);
    armRecordStart(*recorder, false);
    runUntil(2.25, 9.0);
    EXPECT_EQ(state(), kRecordIdle);
    EXPECT_FALSE(consumeRecordedTake(*recorder).has_value());
}

TEST_F(Recorder, AResetDropsAnUncollectedTake) {
    armRecordStart(*recorder, true);
    runUntil(0.0, 6.0);
    armRecordStop(*recorder, true);
    runUntil(6.25, 8.5);
    ASSERT_EQ(recorder->takeReady.load(), kTakeReady);
    resetRecorder(*recorder);
    EXPECT_EQ(state(), kRecordIdle);
    EXPECT_FALSE(consumeRecordedTake(*recorder).has_value());
}

TEST_F(Recorder, AResetLeavesATakeBeingCollectedAlone) {
    recorder->count = 3;
    recorder->takeReady.store(kTakeCollecting);
    resetRecorder(*recorder);
    EXPECT_EQ(recorder->count, 3);  // the main thread is still reading it
    EXPECT_EQ(recorder->takeReady.load(), kTakeCollecting);
}

TEST_F(Recorder, ATakeShorterThanABarIsNeverReady) {
    armRecordStart(*recorder, true);
    blockQN = 1.0;
    block(3.5);  // reaches beat 4: the take starts there, in 4/4
    armRecordStop(*recorder, true);
    block(4.5, 1.5);  // the host switched to 3/8: the next bar line is at 6
    block(6.0, 1.5);
    EXPECT_EQ(state(), kRecordIdle);
    EXPECT_EQ(recorder->recordBarCount.load(), 0u);
    EXPECT_FALSE(consumeRecordedTake(*recorder).has_value());
}

TEST_F(Recorder, OnlyChannelMessagesOfRecordedTracksAreKept) {
    trackCount = 2;
    armRecordStart(*recorder, true);
    runUntil(0.0, 4.5);
    struct Case {
        std::uint8_t status;
        std::int32_t track;
        bool kept;
    };
    const Case cases[] = {{0x90, 0, true},  {0xB1, 1, true},  {0xEF, 0, true},  {0xF0, 0, false},
                          {0x7F, 0, false}, {0x90, 2, false}, {0x90, -1, false}};
    for (const Case& c : cases) {
        const int before = recorder->count;
        capture(4.6, c.status, c.track);
        EXPECT_EQ(recorder->count - before, c.kept ? 1 : 0) << std::hex << int{c.status} << " track " << c.track;
    }
    invalidateRecorderClock(*recorder);
    const int before = recorder->count;
    capture(4.6);
    EXPECT_EQ(recorder->count, before) << "captured without a block clock";
}

TEST_F(Recorder, AnOverflowingTakeIsDiscardedAtCollection) {
    armRecordStart(*recorder, true);
    runUntil(0.0, 4.5);
    recorder->count = kRecordCapacity;
    capture(4.6);
    EXPECT_EQ(recorder->recordOverflow, 1);
    armRecordStop(*recorder, true);
    runUntil(4.75, 8.5);
    EXPECT_FALSE(consumeRecordedTake(*recorder).has_value());
    EXPECT_EQ(recorder->count, 0);
    EXPECT_EQ(recorder->recordOverflow, 0);
}

}  // namespace
}  // namespace pulvan::au::test
