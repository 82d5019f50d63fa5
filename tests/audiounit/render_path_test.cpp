#include "tests/audiounit/audio_unit_driver.h"
#include "tests/support/allocation_counter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace pulvan::au::test {
namespace {

// Four sixteenths, notes 60-63, half a step long, on the given channel (1-based).
ConfigBuilder fourSixteenths(int channel = 1) {
    ConfigBuilder config;
    config.laneLengths(0, 4).perTrack(layout::kChannels, 0, channel);
    for (int s = 0; s < 4; ++s) fixedNote(config, 0, s, 60 + s);
    return config;
}

// One note held (HOLD) from the first step of a one-bar lane until the lane comes round again.
ConfigBuilder heldBarNote(int note = 48) {
    ConfigBuilder config;
    fixedNote(config, 0, 0, note).perStep(layout::kTieSteps, 0, 0, 1);
    return config;
}

// The first message sent is the immediate note-off of `note` on channel 1.
void expectReleasedFirst(const std::vector<SentMessage>& sent, int note) {
    ASSERT_FALSE(sent.empty());
    EXPECT_TRUE(sent[0].immediate());
    EXPECT_EQ(sent[0].status, 0x80);
    EXPECT_EQ(sent[0].data1, note);
}

std::int64_t sampleOfBeat(double beat, double sampleRate = 48000.0, double tempo = 120.0) {
    return std::llround(beat * 60.0 / tempo * sampleRate);
}

class RenderPath : public ::testing::Test {
protected:
    void configure(const ConfigBuilder& config) {
        config_ = config;
        driver.unit().configureAppPlay(argumentsFrom(config_));
    }
    AudioUnitDriver driver;
    ConfigBuilder config_;
};

TEST_F(RenderPath, StepsLandOnTheirExactSamples) {
    configure(fourSixteenths());
    auto sent = driver.playUntil(0.0, 0.99);
    std::erase_if(sent, [](const SentMessage& m) { return m.sampleTime >= sampleOfBeat(1.0); });
    const auto ons = noteOns(sent);
    ASSERT_EQ(ons.size(), 4u);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(ons[s].sampleTime, sampleOfBeat(0.25 * s)) << s;
        EXPECT_EQ(ons[s].status, 0x90);
        EXPECT_EQ(ons[s].data1, 60 + s);
        EXPECT_EQ(ons[s].data2, 100);
    }
    const auto offs = noteOffs(sent);
    ASSERT_EQ(offs.size(), 4u);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(offs[s].sampleTime, sampleOfBeat(0.25 * s + 0.125)) << s;
}

TEST(RenderPathSampleRate, RoundsHalfSamplesAwayFromZeroAtTheBusRate) {
    AudioUnitDriver driver(44100.0, 256);
    ConfigBuilder config = fourSixteenths();
    driver.unit().configureAppPlay(argumentsFrom(config));
    const auto ons = noteOns(driver.playUntil(0.0, 0.99));
    ASSERT_EQ(ons.size(), 4u);
    // A sixteenth at 120 bpm is 5512.5 samples at 44.1 kHz.
    EXPECT_EQ(ons[1].sampleTime, 5513);
    EXPECT_EQ(ons[2].sampleTime, 11025);
}

// A first window plays the step already in progress at its start; the later steps move by the offset.
TEST_F(RenderPath, OutputOffsetsMoveEachTracksSteps) {
    struct Case {
        std::int32_t offsetMs;
        int note;
        double expectedBeat;
    };
    const Case cases[] = {{0, 61, 0.25}, {100, 61, 0.45}, {100, 62, 0.7}, {-200, 62, 0.1}, {-200, 63, 0.35}, {-50, 63, 0.65}};
    for (const Case& c : cases) {
        AudioUnitDriver driver;
        ConfigBuilder config = fourSixteenths();
        driver.unit().configureAppPlay(argumentsFrom(config));
        const std::int32_t offsets[] = {c.offsetMs};
        driver.unit().setAppPlayMIDIOutOffsetsMs(offsets);
        const auto ons = noteOns(driver.playUntil(0.0, 0.99));
        auto first = std::find_if(ons.begin(), ons.end(), [&](const SentMessage& m) { return m.data1 == c.note; });
        ASSERT_NE(first, ons.end()) << c.offsetMs;
        EXPECT_EQ(first->sampleTime, sampleOfBeat(c.expectedBeat)) << c.offsetMs << " ms, note " << c.note;
    }
}

TEST_F(RenderPath, AnEventBeforeTheBlockLandsOnItsFirstSample) {
    configure(fourSixteenths());
    // The host's next block starts 0.0008 beats after the previous window ended; the window
    // still joins, so the step at 0.25 falls before the block and goes out at its first sample.
    const double start = 0.25 - driver.blockQN() - 0.0004;
    driver.block(start);
    const std::int64_t blockStart = driver.sampleTime();
    const auto ons = noteOns(driver.block(start + driver.blockQN() + 0.0008));
    ASSERT_EQ(ons.size(), 1u);
    EXPECT_EQ(ons[0].data1, 61);
    EXPECT_EQ(ons[0].sampleTime, blockStart);
}

TEST_F(RenderPath, StoppingReleasesHeldNotesOnceAtTheImmediateTime) {
    configure(heldBarNote());
    auto played = driver.playUntil(0.0, 1.0);
    ASSERT_EQ(soundingNotes(played), std::vector<int>{48});
    EXPECT_EQ(driver.unit().currentAppPlayActiveNotesLowForTrack(0), std::uint64_t{1} << 48);
    const auto stopped = driver.stop();
    EXPECT_EQ(stopped.size(), 1u);
    expectReleasedFirst(stopped, 48);
    EXPECT_EQ(driver.unit().currentAppPlayActiveNotesLowForTrack(0), 0u);
    EXPECT_FALSE(driver.unit().isAppPlayTransportMoving());
    EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(0), -1);
    EXPECT_TRUE(driver.stop().empty());
}

TEST_F(RenderPath, ALoopBackByWholeBarsKeepsTheStepPhaseAndTheHeldNote) {
    configure(heldBarNote());
    driver.playUntil(0.0, 8.4);
    const double next = driver.sampleTime() / 24000.0;  // where the next block would start
    const auto looped = driver.block(next - 8.0);
    EXPECT_TRUE(looped.empty());
    const double position = driver.unit().currentAppPlayBeatPosition();
    // The lanes count on as if the bar after the loop end came next.
    EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(0), static_cast<std::int64_t>(std::floor((position + 8.0) / 0.25)));
    // The held note rings on until the lane comes round at beat 4 of the looped timeline.
    const auto after = driver.playUntil(next - 8.0 + driver.blockQN(), 3.9);
    EXPECT_TRUE(noteOffs(after).empty());
    EXPECT_EQ(driver.unit().currentAppPlayActiveNotesLowForTrack(0), std::uint64_t{1} << 48);
}

TEST_F(RenderPath, AForwardJumpReleasesEverythingAndReanchorsOnTheBar) {
    configure(heldBarNote());
    driver.playUntil(0.0, 2.0);
    const auto jumped = driver.block(6.5);
    const auto offs = noteOffs(jumped);
    ASSERT_FALSE(offs.empty());
    EXPECT_EQ(offs[0].sampleTime, driver.sampleTime() - driver.frames());
    EXPECT_EQ(offs[0].data1, 48);
    // Anchored at bar 4: step 10 of the sixteenth grid is in progress at 6.5.
    EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(0), 10);
}

TEST_F(RenderPath, StartingJustBeforeABarLineAnchorsOnIt) {
    configure(fourSixteenths());
    const auto ons = noteOns(driver.block(7.9995));
    ASSERT_FALSE(ons.empty());
    EXPECT_EQ(ons[0].data1, 60);
    EXPECT_EQ(ons[0].sampleTime, sampleOfBeat(0.0005));  // 12 samples in: beat 8 exactly
}

TEST_F(RenderPath, ASceneLaunchSwitchesAtItsBeatAndCommitsAfterIt) {
    configure(fourSixteenths());
    driver.playUntil(0.0, 6.0);
    ConfigBuilder next = fourSixteenths();
    for (int s = 0; s < 4; ++s) fixedNote(next, 0, s, 72 + s);
    driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(next), 8.0);
    const double resume = 6.0 - std::fmod(6.0, driver.blockQN()) + driver.blockQN();
    const auto sent = driver.playUntil(resume, 9.0);
    for (const auto& on : noteOns(sent)) {
        if (on.beat < 8.0 - 1e-9) EXPECT_LT(on.data1, 72) << on.beat;
        else EXPECT_GE(on.data1, 72) << on.beat;
    }
    // Once committed it stays in force even after a host loop back before 8.
    const auto looped = noteOns(driver.block(4.0));
    ASSERT_FALSE(looped.empty());
    EXPECT_GE(looped[0].data1, 72);
}

TEST_F(RenderPath, ALaunchTargetedPastALoopEndCommitsAtTheLoop) {
    configure(fourSixteenths());
    driver.playUntil(0.0, 7.0);
    ConfigBuilder next = fourSixteenths();
    fixedNote(next, 0, 0, 84);
    driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(next), 8.0);
    const auto looped = noteOns(driver.playUntil(4.0, 5.0));
    EXPECT_TRUE(std::any_of(looped.begin(), looped.end(), [](const SentMessage& m) { return m.data1 == 84; }));
    EXPECT_TRUE(std::none_of(looped.begin(), looped.end(), [](const SentMessage& m) { return m.data1 == 60; }));
}

TEST_F(RenderPath, ALaunchAtNoFiniteBeatIsIgnored) {
    configure(fourSixteenths());
    driver.playUntil(0.0, 1.0);
    ConfigBuilder next = fourSixteenths();
    fixedNote(next, 0, 0, 84);
    ConfigBuilder valid = fourSixteenths();
    fixedNote(valid, 0, 0, 90);
    driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(valid), 2.0);
    for (double target : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(next), target);
        driver.unit().scheduleAppPlayPatternLaunch(argumentsFrom(next), target, 0);
    }
    const auto ons = noteOns(driver.playUntil(driver.sampleTime() / 24000.0, 4.5));
    EXPECT_TRUE(std::none_of(ons.begin(), ons.end(), [](const SentMessage& m) { return m.data1 == 84; }));
    EXPECT_TRUE(std::any_of(ons.begin(), ons.end(), [](const SentMessage& m) { return m.data1 == 90; })) << "the valid launch stays pending";
}

TEST_F(RenderPath, StoppingCancelsAPendingLaunch) {
    configure(fourSixteenths());
    driver.playUntil(0.0, 2.0);
    ConfigBuilder next = fourSixteenths();
    fixedNote(next, 0, 0, 84);
    driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(next), 4.0);
    driver.block(2.1);
    driver.stop();
    for (const auto& on : noteOns(driver.playUntil(0.0, 6.0))) EXPECT_NE(on.data1, 84) << on.beat;
}

TEST_F(RenderPath, ResyncRestartsEveryLaneAtTheNextBarLine) {
    ConfigBuilder config;
    config.laneLengths(0, 3);
    for (int s = 0; s < 3; ++s) fixedNote(config, 0, s, 60 + s);
    configure(config);
    driver.playUntil(0.0, 5.0);
    driver.unit().setAppPlayResyncArmed(true);
    const double resume = driver.sampleTime() / 24000.0;
    const auto sent = driver.playUntil(resume, 8.2);
    EXPECT_FALSE(driver.unit().isAppPlayResyncArmed());
    const auto ons = noteOns(sent);
    auto atEight = std::find_if(ons.begin(), ons.end(), [](const SentMessage& m) { return std::abs(m.beat - 8.0) < 1e-6; });
    ASSERT_NE(atEight, ons.end());
    EXPECT_EQ(atEight->data1, 60);  // lane position 0 at the bar, whatever the 3-step cycle said
    const double position = driver.unit().currentAppPlayBeatPosition();
    EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(0), static_cast<std::int64_t>(std::floor(position / 0.25)) - 32);
}

TEST_F(RenderPath, AChannelChangeReleasesHeldNotesBeforeTheNewConfiguration) {
    configure(heldBarNote());
    driver.playUntil(0.0, 1.0);
    ConfigBuilder moved = heldBarNote();
    moved.perTrack(layout::kChannels, 0, 5);
    configure(moved);
    const auto sent = driver.block(driver.sampleTime() / 24000.0);
    expectReleasedFirst(sent, 48);
}

TEST_F(RenderPath, NotesOffWaitForAMIDIOutputBlock) {
    configure(heldBarNote());
    driver.playUntil(0.0, 1.0);
    driver.makeRenderBlock(true, false);
    driver.unit().requestAppPlayNotesOff();
    driver.render(1.1);
    driver.makeRenderBlock();
    const auto sent = driver.block(1.2);
    expectReleasedFirst(sent, 48);
}

TEST_F(RenderPath, UnusableTempoOrPositionRendersNothing) {
    configure(fourSixteenths());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double tempo;
        double beat;
    };
    for (const Case& c : {Case{0.0, 0.0}, Case{-120.0, 0.0}, Case{nan, 0.0}, Case{inf, 0.0}, Case{120.0, nan}, Case{120.0, inf}}) {
        driver.tempo = c.tempo;
        EXPECT_TRUE(driver.block(c.beat).empty()) << c.tempo << " " << c.beat;
    }
    driver.tempo = 120.0;
    EXPECT_FALSE(noteOns(driver.block(0.0)).empty());
}

TEST_F(RenderPath, DisablingSilencesAndClearsThePlayhead) {
    EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(0), 0);  // nothing rendered yet
    configure(heldBarNote());
    driver.unit().setAppPlayEnabled(true);
    driver.playUntil(0.0, 1.0);
    driver.unit().setAppPlayEnabled(false);
    const auto sent = driver.block(1.1);
    EXPECT_EQ(noteOffs(sent).size(), 1u);
    EXPECT_TRUE(noteOns(driver.playUntil(1.2, 4.5)).empty());
    for (int t = 0; t < 6; ++t) EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(t), -1);
    EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(6), -1);
    EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(-1), -1);
}

TEST_F(RenderPath, BarLengthFollowsTheTimeSignature) {
    struct Case {
        double numerator;
        std::int64_t denominator;
        double beat;
        double expectedProgress;
    };
    const Case cases[] = {{3, 8, 0.75, 0.5}, {7, 8, 5.25, 0.5}, {4, 0, 8.0, 0.5}, {0, 4, 2.0, 0.5}};
    for (const Case& c : cases) {
        driver.numerator = c.numerator;
        driver.denominator = c.denominator;
        driver.render(c.beat);
        EXPECT_DOUBLE_EQ(driver.unit().currentAppPlayMeasureProgress(), c.expectedProgress) << c.numerator << "/" << c.denominator;
        EXPECT_DOUBLE_EQ(driver.unit().currentAppPlayBeatPosition(), c.beat);
    }
}

TEST_F(RenderPath, RenderingNeverAllocates) {
    ConfigBuilder config = fourSixteenths();
    configure(config);
    driver.unit().setAppPlayResyncArmed(true);
    ConfigBuilder next = heldBarNote();
    driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(next), 4.0);
    driver.unit().sendImmediateMIDI(0xB0, 7, 100);
    const RenderEvent noteFromHost{nullptr, 0, RenderEventType::midi, 3, 0, {0x90, 64, 90}};
    driver.hostEvents = &noteFromHost;
    pulvan::test::ScopedAllocationCount counter;
    for (int i = 0; i < 40; ++i) driver.render(i * driver.blockQN());
    driver.render(1.0);  // a jump back
    driver.moving = false;
    driver.render(0.0);
    driver.moving = true;
    EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace pulvan::au::test
