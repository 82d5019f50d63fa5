// Host values that real or broken hosts send: absurd tempos and positions, blocks that
// overflow the event buffer, count-ins below position zero.
#include <gtest/gtest.h>

#include "engine/block_processing.h"
#include "engine/editor_requests.h"
#include "engine/step_timing.h"
#include "tests/support/engine_harness.h"

#include <algorithm>
#include <limits>
#include <map>
#include <tuple>

namespace pulvan::engine {
namespace {
using test::CollectedEvent;
using test::ConfigBuilder;
using test::EngineDriver;
namespace layout = config_layout;

// Every note-off ends a note that was sent, and nothing is left sounding; events are taken in
// the order a host plays them (block, then sample offset, then buffer order).
void expectBalancedNotes(std::vector<CollectedEvent> events) {
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return std::tie(a.block, a.sample) < std::tie(b.block, b.sample); });
    std::map<std::tuple<int, int, int>, int> sounding;
    for (const CollectedEvent& e : events) {
        if (e.track < 0) continue;  // the editor's own messages
        int& n = sounding[{e.track, e.channel, e.data1}];
        if (e.kind == kEventNoteOn) ++n;
        if (e.kind == kEventNoteOff) {
            EXPECT_GT(n, 0) << "note-off for track " << e.track << " note " << e.data1 << " that is not sounding, block " << e.block
                            << " sample " << e.sample;
            n = std::max(n - 1, 0);
        }
    }
    for (const auto& [key, n] : sounding)
        EXPECT_EQ(n, 0) << "track " << std::get<0>(key) << " note " << std::get<2>(key) << " left hanging";
}

struct AbsurdCase {
    const char* name;
    double tempo;
    double position;
    int blockSize;
    int direction;
    bool refused = false;  // the window cannot end: blocks play as stopped
};

class AbsurdHostValues : public ::testing::TestWithParam<AbsurdCase> {};

TEST_P(AbsurdHostValues, RenderWithoutOverflowingStepArithmetic) {
    const AbsurdCase& c = GetParam();
    EngineDriver driver;
    ConfigBuilder config;
    config.trackCount(3).pool({60}).gates(0, {0, 1, 2, 3}).gates(1, {0, 5}).perTrack(layout::kTrackMutes, 2, 1);
    config.perTrack(layout::kDirections, 0, c.direction).perTrack(layout::kResolutions, 1, 64).swing(75);
    config.allSteps(layout::kCcASteps, 0, 9);
    driver.push(config);
    driver.tempo = c.tempo;
    driver.blockSize = c.blockSize;
    std::vector<CollectedEvent> all;
    for (int i = 0; i < 4; ++i) {
        auto events = driver.block(c.position);
        all.insert(all.end(), events.begin(), events.end());
    }
    auto stop = driver.stop();
    all.insert(all.end(), stop.begin(), stop.end());
    expectBalancedNotes(all);
    EXPECT_TRUE(!c.refused || all.empty()) << "a window that cannot end plays as stopped";
    const std::int64_t step = currentStepGlobal(driver.engine(), 0);
    EXPECT_GE(step, -kIndexLimit);
    EXPECT_LE(step, kIndexLimit);
}

INSTANTIATE_TEST_SUITE_P(Engine, AbsurdHostValues,
                         ::testing::Values(AbsurdCase{"hugeTempoFarBack", 1.797e308, -1e18, 1, 0},
                                           AbsurdCase{"hugeTempoFarBackRandom", 1.797e308, -1e18, 1, 4},
                                           AbsurdCase{"hugeTempoFarBackSmartRandom", 1.797e308, -1e18, 1, 5},
                                           AbsurdCase{"hugeTempoFarAhead", 1.797e308, 1e18, 512, 2},
                                           AbsurdCase{"positionBeyondIndexRange", 120.0, -1e300, 512, 3},
                                           AbsurdCase{"tinyTempo", 1e-300, 1e300, 4096, 1},
                                           AbsurdCase{"windowBeyondTheLargestStepTime", 1e300, 1.7e308, 512, 0},
                                           AbsurdCase{"windowEndNotFinite", 1e300, std::numeric_limits<double>::max(), 512, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StepArithmetic, DifferencesOfSaturatedIndicesSaturate) {
    EXPECT_EQ(indexDifference(kIndexLimit, -kIndexLimit), kIndexLimit);
    EXPECT_EQ(indexDifference(-kIndexLimit, kIndexLimit), -kIndexLimit);
    EXPECT_EQ(indexDifference(5, 7), -2);
    EXPECT_EQ(globalStepAt(1e300, -1e300, 0.25), kIndexLimit);
}

// Track 0: a 17-note chord (one pool note and 16 output-chord intervals) on every step of the
// given rate, length 50 %; track 1: half notes, length 50 %, on its own channel.
ConfigBuilder chordFlood(int resolution) {
    ConfigBuilder config;
    config.trackCount(2).pool({60}).perTrack(layout::kResolutions, 0, resolution);
    config.allSteps(layout::kGateSteps, 0, 1).perTrack(layout::kOutputChordCounts, 0, 16);
    for (int k = 0; k < 16; ++k) config.words()[layout::outputChordIntervalWord(0, k)] = k + 1;
    config.perTrack(layout::kResolutions, 1, 2).perTrack(layout::kChannels, 1, 2).allSteps(layout::kGateSteps, 1, 1);
    return config;
}

struct FloodCase {
    const char* name;
    int resolution;
    double sampleRate;
    int blockSize;
    double fastTempo;
    int fastBlockSize;
    int fastBlocks;
    bool demo;  // the engine's own demo configuration instead of the chord flood
};

class EventBufferFlood : public ::testing::TestWithParam<FloodCase> {};

TEST_P(EventBufferFlood, EverySentNoteEndsAndNoUnsentNoteIsEnded) {
    const FloodCase& c = GetParam();
    EngineDriver driver;
    if (!c.demo) driver.push(chordFlood(c.resolution));
    driver.sampleRate = c.sampleRate;
    driver.blockSize = c.blockSize;
    auto all = driver.playUntil(0.0, 15.5 * driver.blockQN());  // 16 blocks at 120
    const double resumeAt = 16 * driver.blockQN();
    driver.tempo = c.fastTempo;
    driver.blockSize = c.fastBlockSize;
    for (int i = 0; i < c.fastBlocks; ++i) {
        auto events = i == 0 ? driver.block(resumeAt) : driver.next();
        all.insert(all.end(), events.begin(), events.end());
    }
    auto stop = driver.stop();
    all.insert(all.end(), stop.begin(), stop.end());
    expectBalancedNotes(all);
    if (!c.demo) {
        EXPECT_GT(driver.overflowedBlocks, 0) << "the case must overflow the buffer";
        EXPECT_FALSE(test::ofTrack(test::ofKind(all, kEventNoteOff), 1).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Engine, EventBufferFlood,
                         ::testing::Values(FloodCase{"tempo999", 64, 44100.0, 4096, 999.0, 4096, 8, false},
                                           FloodCase{"tempo600LargeBlocks", 64, 48000.0, 8192, 600.0, 8192, 8, false},
                                           FloodCase{"tempo300Triplets", 264, 48000.0, 8192, 300.0, 8192, 8, false},
                                           FloodCase{"millionBpm", 64, 8000.0, 512, 1e6, 512, 1, false},
                                           FloodCase{"millionBpmDemo", 16, 8000.0, 512, 1e6, 512, 1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Host plays from -4 quarter notes at 120 BPM, 48 kHz, 512-sample blocks; track 0 holds note 60
// from each sixteenth to the next.
struct CountInCase {
    const char* name;
    void (*request)(SequencerEngine&);
    int kind;   // of the block-start event
    int data1;  // its note or controller
};

class CountIn : public ::testing::TestWithParam<CountInCase> {};

TEST_P(CountIn, BlockStartEventsGoOutOnTheFirstSample) {
    EngineDriver driver;
    ConfigBuilder config;
    config.pool({60}).allSteps(layout::kGateSteps, 0, 1).allSteps(layout::kTieSteps, 0, 1);
    driver.push(config);
    const double q = driver.blockQN();
    int stepBlock = 0;  // the first block that plays the step at -3.0
    while (-4.0 + (stepBlock + 1) * q <= -3.0) ++stepBlock;
    auto all = driver.playUntil(-4.0, -4.0 + (stepBlock - 0.5) * q);
    GetParam().request(driver.engine());
    const auto events = driver.next();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].kind, GetParam().kind);
    EXPECT_EQ(events[0].data1, GetParam().data1);
    EXPECT_EQ(events[0].sample, 0);
    all.insert(all.end(), events.begin(), events.end());
    auto stop = driver.stop();
    all.insert(all.end(), stop.begin(), stop.end());
    expectBalancedNotes(all);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, CountIn,
    ::testing::Values(CountInCase{"trackNotesOff", [](SequencerEngine& e) { forceTrackNotesOff(e, 1); }, kEventNoteOff, 60},
                      CountInCase{"allNotesOff", [](SequencerEngine& e) { forceAllNotesOff(e); }, kEventNoteOff, 60},
                      CountInCase{"offsetChange",
                                  [](SequencerEngine& e) {
                                      const std::int32_t offsets[] = {20};
                                      setTrackMIDIOutOffsetsMs(e, offsets, 1);
                                  },
                                  kEventNoteOff, 60},
                      CountInCase{"immediateNote", [](SequencerEngine& e) { sendImmediateMIDI(e, 0x93, 72, 90); }, kEventNoteOn, 72},
                      CountInCase{"immediateControl", [](SequencerEngine& e) { sendImmediateMIDI(e, 0xB0, 7, 90); }, kEventControlChange,
                                  7}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::engine
