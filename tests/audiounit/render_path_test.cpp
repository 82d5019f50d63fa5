#include <gtest/gtest.h>

#include "tests/support/allocation_counter.h"
#include "tests/support/audio_unit_driver.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace pulvan::au::test {
namespace {

// Four sixteenths, notes `first` to `first` + 3, half a step long, on channel 1.
ConfigBuilder fourSixteenths(int first = 60) {
    ConfigBuilder config;
    config.laneLengths(0, 4);
    for (int s = 0; s < 4; ++s) fixedNote(config, 0, s, first + s);
    return config;
}

// One note held (HOLD) on each of the first `tracks` tracks, channel t + 1, from the first step of
// a one-bar lane until the lane comes round again.
ConfigBuilder heldBarNotes(int tracks = 1) {
    ConfigBuilder config;
    config.trackCount(tracks);
    for (int t = 0; t < tracks; ++t) {
        fixedNote(config, t, 0, 48 + t).perStep(layout::kTieSteps, t, 0, 1).perTrack(layout::kChannels, t, t + 1);
    }
    return config;
}

bool anyNote(const std::vector<SentMessage>& messages, int note) {
    return std::any_of(messages.begin(), messages.end(), [note](const SentMessage& m) { return m.data1 == note; });
}

std::int64_t sampleOfBeat(double beat) { return std::llround(beat * 24000.0); }  // 120 bpm at 48 kHz

class RenderPath : public ::testing::Test {
protected:
    AudioUnitDriver driver;
};

// Half samples round away from zero at the bus's rate: a sixteenth at 120 bpm is 5512.5 samples
// at 44.1 kHz. (Step 3 there, at 16537.5, is left out: the host's own beat arithmetic tips it.)
TEST(RenderPathTiming, StepsLandOnTheirExactSamplesAtTheBusRate) {
    struct Case {
        double sampleRate;
        std::uint32_t frames;
        std::vector<std::int64_t> ons, offs;
    };
    const Case cases[] = {{48000.0, 512, {0, 6000, 12000, 18000}, {3000, 9000, 15000, 21000}},
                          {44100.0, 256, {0, 5513, 11025}, {2756, 8269, 13781, 19294}}};
    for (const Case& c : cases) {
        AudioUnitDriver driver(c.sampleRate, c.frames);
        driver.configure(fourSixteenths());
        auto sent = driver.playUntil(0.0, 0.99);
        std::erase_if(sent, [&](const SentMessage& m) { return m.sampleTime >= c.sampleRate / 2; });
        const auto ons = noteOns(sent), offs = noteOffs(sent);
        ASSERT_EQ(ons.size(), 4u) << c.sampleRate;
        ASSERT_EQ(offs.size(), 4u) << c.sampleRate;
        for (int s = 0; s < 4; ++s) {
            if (s < static_cast<int>(c.ons.size())) {
                EXPECT_EQ(ons[s].sampleTime, c.ons[s]) << c.sampleRate << " step " << s;
            }
            EXPECT_EQ(offs[s].sampleTime, c.offs[s]) << c.sampleRate << " step " << s;
            EXPECT_EQ(ons[s].status, 0x90);
            EXPECT_EQ(ons[s].data1, 60 + s);
            EXPECT_EQ(ons[s].data2, 100);
        }
    }
}

// A first window plays the step already in progress at its start; the later steps move by the offset.
TEST(RenderPathTiming, OutputOffsetsMoveEachTracksSteps) {
    struct Case {
        std::int32_t offsetMs;
        int note;
        double expectedBeat;
    };
    const Case cases[] = {{0, 61, 0.25}, {100, 61, 0.45}, {100, 62, 0.7}, {-200, 62, 0.1}, {-200, 63, 0.35}, {-50, 63, 0.65}};
    for (const Case& c : cases) {
        AudioUnitDriver driver;
        driver.configure(fourSixteenths());
        const std::int32_t offsets[] = {c.offsetMs};
        driver.unit().setAppPlayMIDIOutOffsetsMs(offsets);
        const auto ons = noteOns(driver.playUntil(0.0, 0.99));
        auto first = std::find_if(ons.begin(), ons.end(), [&](const SentMessage& m) { return m.data1 == c.note; });
        ASSERT_NE(first, ons.end()) << c.offsetMs;
        EXPECT_EQ(first->sampleTime, sampleOfBeat(c.expectedBeat)) << c.offsetMs << " ms, note " << c.note;
    }
}

TEST_F(RenderPath, AnEventBeforeTheBlockLandsOnItsFirstSample) {
    driver.configure(fourSixteenths());
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
    driver.configure(heldBarNotes());
    auto played = driver.playUntil(0.0, 1.0);
    ASSERT_EQ(soundingNotes(played), std::vector<int>{48});
    EXPECT_EQ(driver.unit().currentAppPlayActiveNotesLowForTrack(0), std::uint64_t{1} << 48);
    const auto stopped = driver.stop();
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_TRUE(stopped[0].immediate());
    EXPECT_EQ(stopped[0].status, 0x80);
    EXPECT_EQ(stopped[0].data1, 48);
    EXPECT_EQ(driver.unit().currentAppPlayActiveNotesLowForTrack(0), 0u);
    EXPECT_FALSE(driver.unit().isAppPlayTransportMoving());
    EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(0), -1);
    EXPECT_TRUE(driver.stop().empty());
}

TEST_F(RenderPath, ALoopBackByWholeBarsKeepsTheStepPhaseAndTheHeldNote) {
    driver.configure(heldBarNotes());
    driver.playUntil(0.0, 8.4);
    const double next = driver.nextBeat();
    EXPECT_TRUE(driver.block(next - 8.0).empty());
    const double position = driver.unit().currentAppPlayBeatPosition();
    // The lanes count on as if the bar after the loop end came next.
    EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(0), static_cast<std::int64_t>(std::floor((position + 8.0) / 0.25)));
    // The held note rings on until the lane comes round at beat 4 of the looped timeline.
    const auto after = driver.playUntil(next - 8.0 + driver.blockQN(), 3.9);
    EXPECT_TRUE(noteOffs(after).empty());
    EXPECT_EQ(driver.unit().currentAppPlayActiveNotesLowForTrack(0), std::uint64_t{1} << 48);
}

TEST_F(RenderPath, AForwardJumpReleasesEverythingAndReanchorsOnTheBar) {
    driver.configure(heldBarNotes());
    driver.playUntil(0.0, 2.0);
    const auto offs = noteOffs(driver.block(6.5));
    ASSERT_FALSE(offs.empty());
    EXPECT_EQ(offs[0].sampleTime, driver.sampleTime() - driver.frames());
    EXPECT_EQ(offs[0].data1, 48);
    // Anchored at bar 4: step 10 of the sixteenth grid is in progress at 6.5.
    EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(0), 10);
}

TEST_F(RenderPath, StartingJustBeforeABarLineAnchorsOnIt) {
    driver.configure(fourSixteenths());
    const auto ons = noteOns(driver.block(7.9995));
    ASSERT_FALSE(ons.empty());
    EXPECT_EQ(ons[0].data1, 60);
    EXPECT_EQ(ons[0].sampleTime, sampleOfBeat(0.0005));  // 12 samples in: beat 8 exactly
}

TEST_F(RenderPath, ASceneLaunchSwitchesAtItsBeatAndCommitsAfterIt) {
    driver.configure(fourSixteenths());
    driver.playUntil(0.0, 6.0);
    driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(fourSixteenths(72)), 8.0);
    const auto sent = driver.playUntil(driver.nextBeat(), 9.0);
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
    driver.configure(fourSixteenths());
    driver.playUntil(0.0, 7.0);
    driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(fourSixteenths(84)), 8.0);
    const auto looped = noteOns(driver.playUntil(4.0, 5.0));
    EXPECT_TRUE(anyNote(looped, 84));
    EXPECT_FALSE(anyNote(looped, 60));
}

TEST_F(RenderPath, ALaunchAtNoFiniteBeatIsIgnored) {
    driver.configure(fourSixteenths());
    driver.playUntil(0.0, 1.0);
    driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(fourSixteenths(90)), 2.0);
    for (double target : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(fourSixteenths(84)), target);
        driver.unit().scheduleAppPlayPatternLaunch(argumentsFrom(fourSixteenths(84)), target, 0);
    }
    const auto ons = noteOns(driver.playUntil(driver.nextBeat(), 4.5));
    EXPECT_FALSE(anyNote(ons, 84));
    EXPECT_TRUE(anyNote(ons, 90)) << "the valid launch stays pending";
}

TEST_F(RenderPath, StoppingCancelsAPendingLaunch) {
    driver.configure(fourSixteenths());
    driver.playUntil(0.0, 2.0);
    driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(fourSixteenths(84)), 4.0);
    driver.block(2.1);
    driver.stop();
    EXPECT_FALSE(anyNote(noteOns(driver.playUntil(0.0, 6.0)), 84));
}

TEST_F(RenderPath, ResyncRestartsEveryLaneAtTheNextBarLine) {
    ConfigBuilder config;
    config.laneLengths(0, 3);
    for (int s = 0; s < 3; ++s) fixedNote(config, 0, s, 60 + s);
    driver.configure(config);
    driver.playUntil(0.0, 5.0);
    driver.unit().setAppPlayResyncArmed(true);
    const auto ons = noteOns(driver.playUntil(driver.nextBeat(), 8.2));
    EXPECT_FALSE(driver.unit().isAppPlayResyncArmed());
    auto atEight = std::find_if(ons.begin(), ons.end(), [](const SentMessage& m) { return std::abs(m.beat - 8.0) < 1e-6; });
    ASSERT_NE(atEight, ons.end());
    EXPECT_EQ(atEight->data1, 60);  // lane position 0 at the bar, whatever the 3-step cycle said
    const double position = driver.unit().currentAppPlayBeatPosition();
    EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(0), static_cast<std::int64_t>(std::floor(position / 0.25)) - 32);
}

// What the next block releases at once, by channel, after a change to a unit holding one note a track.
TEST(HeldNotes, ReleasedAtOnceForExactlyTheTracksAChangeConcerns) {
    using Change = std::function<void(AudioUnitDriver&)>;
    auto offsets = [](std::vector<std::int32_t> ms) { return [ms](AudioUnitDriver& d) { d.unit().setAppPlayMIDIOutOffsetsMs(ms); }; };
    struct Case {
        const char* change;
        int tracks;
        std::vector<std::int32_t> offsetsBefore;
        Change apply;
        std::vector<int> released;
    };
    const Case cases[] = {
        {"an output offset", 4, {}, offsets({0, 0, 0, 50}), {3}},
        {"offsets left out fall back to 0", 4, {0, 0, 0, 50}, offsets({0, 20}), {1, 3}},
        {"notes off for tracks, out of range ignored",
         3,
         {},
         [](AudioUnitDriver& d) {
             const std::int32_t tracks[] = {-1, 2, 6, 0};
             d.unit().requestAppPlayNotesOffForTracks(tracks);
         },
         {0, 2}},
        {"notes off", 3, {}, [](AudioUnitDriver& d) { d.unit().requestAppPlayNotesOff(); }, {0, 1, 2}},
        {"notes off asked while there was no MIDI output block",
         1,
         {},
         [](AudioUnitDriver& d) {
             d.makeRenderBlock(false);
             d.unit().requestAppPlayNotesOff();
             d.render(d.nextBeat());
             d.makeRenderBlock();
         },
         {0}},
        {"enabling while enabled", 1, {}, [](AudioUnitDriver& d) { d.unit().setAppPlayEnabled(true); }, {}},
        {"more tracks", 2, {}, [](AudioUnitDriver& d) { d.configure(heldBarNotes(2).trackCount(3)); }, {}},
        {"fewer tracks", 2, {}, [](AudioUnitDriver& d) { d.configure(heldBarNotes(2).trackCount(1)); }, {0, 1}},
        {"a channel", 2, {}, [](AudioUnitDriver& d) { d.configure(heldBarNotes(2).perTrack(layout::kChannels, 1, 5)); }, {0, 1}},
    };
    for (const Case& c : cases) {
        AudioUnitDriver driver;
        driver.configure(heldBarNotes(c.tracks));
        if (!c.offsetsBefore.empty()) driver.unit().setAppPlayMIDIOutOffsetsMs(c.offsetsBefore);
        driver.playUntil(0.0, 1.0);
        c.apply(driver);
        std::vector<int> released;
        for (const auto& off : noteOffs(driver.block(driver.nextBeat()))) {
            EXPECT_TRUE(off.immediate()) << c.change;
            released.push_back(off.status & 0x0F);
        }
        EXPECT_EQ(released, c.released) << c.change;
    }
}

TEST_F(RenderPath, APatternLaunchSilencesOnlyItsTrackWhenThatTrackHasNothingToPlay) {
    driver.configure(heldBarNotes(3));
    driver.unit().scheduleAppPlayPatternLaunch(argumentsFrom(ConfigBuilder().trackCount(3)), 2.0, 2);  // every gate off
    std::vector<int> releasedAtTarget;
    for (const auto& off : noteOffs(driver.playUntil(0.0, 2.1))) {
        if (std::abs(off.beat - 2.0) < 1e-6) releasedAtTarget.push_back(off.status & 0x0F);
    }
    EXPECT_EQ(releasedAtTarget, std::vector<int>{2});
}

// A call that cannot play sends no step, but ends what sounds at once; so does one whose window
// would never end (tempo and beat at the largest double).
TEST(RenderPathLimits, UnusableTempoOrPositionPlaysNothingAndReleasesWhatSounds) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double most = std::numeric_limits<double>::max();
    struct Case {
        double tempo;
        double beat;
    };
    for (const Case& c :
         {Case{0.0, 0.0}, Case{-120.0, 0.0}, Case{nan, 0.0}, Case{inf, 0.0}, Case{120.0, nan}, Case{120.0, inf}, Case{most, most}}) {
        AudioUnitDriver driver;
        driver.configure(heldBarNotes());
        ASSERT_EQ(soundingNotes(driver.playUntil(0.0, 1.0)).size(), 1u);
        driver.tempo = c.tempo;
        const auto silent = driver.block(c.beat);
        EXPECT_TRUE(noteOns(silent).empty()) << c.tempo << " " << c.beat;
        ASSERT_EQ(noteOffs(silent).size(), 1u) << c.tempo << " " << c.beat;
        EXPECT_TRUE(silent[0].immediate());
        EXPECT_TRUE(driver.block(c.beat).empty()) << "released once";
        driver.tempo = 120.0;
        EXPECT_FALSE(noteOns(driver.block(4.0)).empty());
    }
}

// The bus keeps its rate when offered one that is not a finite positive number, so the unit plays
// on and a stop still releases what sounds.
TEST_F(RenderPath, TheBusRefusesARateThatIsNotAFinitePositiveNumber) {
    driver.configure(heldBarNotes());
    driver.playUntil(0.0, 1.0);
    for (double rate : {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(), 0.0, -48000.0}) {
        EXPECT_FALSE(driver.unit().outputBus().setFormat({rate, 2})) << rate;
    }
    EXPECT_EQ(driver.unit().outputBus().format().sampleRate, 48000.0);
    driver.makeRenderBlock();
    EXPECT_EQ(noteOffs(driver.stop()).size(), 1u);
}

TEST_F(RenderPath, DisablingSilencesAndClearsThePlayhead) {
    driver.configure(heldBarNotes());
    driver.playUntil(0.0, 1.0);
    driver.unit().setAppPlayEnabled(false);
    EXPECT_EQ(noteOffs(driver.block(1.1)).size(), 1u);
    EXPECT_TRUE(noteOns(driver.playUntil(1.2, 4.5)).empty());
    for (int t = 0; t < 6; ++t) EXPECT_EQ(driver.unit().currentAppPlayGlobalStepForTrack(t), -1);
}

TEST_F(RenderPath, BarLengthFollowsTheTimeSignature) {
    struct Case {
        double numerator;
        std::int64_t denominator;
        double beat;
    };
    const Case cases[] = {{3, 8, 0.75}, {7, 8, 5.25}, {4, 0, 8.0}, {0, 4, 2.0}};  // each half a bar in
    for (const Case& c : cases) {
        driver.numerator = c.numerator;
        driver.denominator = c.denominator;
        driver.render(c.beat);
        EXPECT_DOUBLE_EQ(driver.unit().currentAppPlayMeasureProgress(), 0.5) << c.numerator << "/" << c.denominator;
        EXPECT_DOUBLE_EQ(driver.unit().currentAppPlayBeatPosition(), c.beat);
    }
}

TEST_F(RenderPath, RenderingNeverAllocates) {
    driver.configure(fourSixteenths());
    driver.unit().setAppPlayResyncArmed(true);
    driver.unit().scheduleAppPlaySceneLaunch(argumentsFrom(heldBarNotes()), 4.0);
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
