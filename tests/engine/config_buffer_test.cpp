#include <gtest/gtest.h>

#include <vector>

#include "engine/config_buffer.h"
#include "engine/sequencer_engine.h"
#include "tests/engine/engine_harness.h"

namespace pulvan::engine {
namespace {
namespace layout = config_layout;
using test::ConfigBuilder;

TEST(ConfigBufferLayout, ArraysTileTheBufferWithoutGaps) {
    EXPECT_EQ(layout::outputChordIntervalWord(5, 15) + 1, layout::kGateSteps);
    EXPECT_EQ(layout::chordValueWord(5, 63, 16) + 1, layout::kOctaveSteps);
    EXPECT_EQ(layout::stepWord(layout::kCcBSteps, 5, 63) + 1, kConfigBufferWordCount);
    EXPECT_EQ(kConfigBufferWordCount, 11112);
}

TEST(ConfigBufferAcceptance, RejectsShortNullOrWrongMagicAndKeepsEverything) {
    SequencerEngine engine;
    ConfigBuilder config;
    config.trackCount(3);
    applyConfigBuffer(engine, config.data(), kConfigBufferWordCount - 1);
    applyConfigBuffer(engine, nullptr, kConfigBufferWordCount);
    config.words()[0] = layout::kMagic + 1;
    applyConfigBuffer(engine, config.data(), config.size());
    EXPECT_TRUE(copyRawConfig(engine).empty());
    EXPECT_EQ(engine.publishedSnapshots.generation.load(), 0u);
}

TEST(ConfigBufferAcceptance, LongerBufferKeepsExactly11112Words) {
    SequencerEngine engine;
    ConfigBuilder config;
    std::vector<std::int32_t> longer(config.data(), config.data() + config.size());
    longer.resize(20000, 7);
    applyConfigBuffer(engine, longer.data(), static_cast<std::int32_t>(longer.size()));
    const auto raw = copyRawConfig(engine);
    ASSERT_EQ(raw.size(), 11112u);
    EXPECT_EQ(raw[0], layout::kMagic);
    EXPECT_EQ(engine.publishedSnapshots.generation.load(), 1u);
}

struct GlobalClampCase {
    int word;
    int written;
    int EngineSnapshot::*field;
    int expected;
};

class GlobalClamp : public ::testing::TestWithParam<GlobalClampCase> {};

TEST_P(GlobalClamp, ClampsIntoRange) {
    const auto& c = GetParam();
    ConfigBuilder config;
    config.words()[c.word] = c.written;
    EXPECT_EQ(config.decoded().*c.field, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Decode, GlobalClamp,
                         ::testing::Values(GlobalClampCase{layout::kTrackCount, 0, &EngineSnapshot::trackCount, 1},
                                           GlobalClampCase{layout::kTrackCount, 9, &EngineSnapshot::trackCount, 6},
                                           GlobalClampCase{layout::kTrackCount, -4, &EngineSnapshot::trackCount, 1},
                                           GlobalClampCase{layout::kSwingPercent, 49, &EngineSnapshot::swingPercent, 50},
                                           GlobalClampCase{layout::kSwingPercent, 80, &EngineSnapshot::swingPercent, 75},
                                           GlobalClampCase{layout::kNotePoolCount, 200, &EngineSnapshot::notePoolCount, 128},
                                           GlobalClampCase{layout::kNotePoolCount, -5, &EngineSnapshot::notePoolCount, 0}));

struct TrackClampCase {
    int base;
    int written;
    int expected;
    int (*read)(const TrackSnapshot&);
};

class TrackClamp : public ::testing::TestWithParam<TrackClampCase> {};

TEST_P(TrackClamp, ClampsIntoRange) {
    const auto& c = GetParam();
    ConfigBuilder config;
    config.perTrack(c.base, 0, c.written);
    const EngineSnapshot s = config.decoded();
    EXPECT_EQ(c.read(s.tracks[0]), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Decode, TrackClamp,
    ::testing::Values(
        TrackClampCase{layout::kChannels, 0, 0, [](const TrackSnapshot& t) { return int{t.channel}; }},
        TrackClampCase{layout::kChannels, 17, 15, [](const TrackSnapshot& t) { return int{t.channel}; }},
        TrackClampCase{layout::kDirections, -1, 0, [](const TrackSnapshot& t) { return t.direction; }},
        TrackClampCase{layout::kDirections, 6, 0, [](const TrackSnapshot& t) { return t.direction; }},
        TrackClampCase{layout::kDirections, 5, 5, [](const TrackSnapshot& t) { return t.direction; }},
        TrackClampCase{layout::kFillModes, 4, 1, [](const TrackSnapshot& t) { return t.fillMode; }},
        TrackClampCase{layout::kFillModes, -1, 1, [](const TrackSnapshot& t) { return t.fillMode; }},
        TrackClampCase{layout::kFillModes, 0, 0, [](const TrackSnapshot& t) { return t.fillMode; }},
        TrackClampCase{layout::kResolutions, -3, 1, [](const TrackSnapshot& t) { return t.resolution; }},
        TrackClampCase{layout::kLastSteps, 65, 64, [](const TrackSnapshot& t) { return t.lastStep; }},
        TrackClampCase{layout::kCcBLastSteps, 0, 1, [](const TrackSnapshot& t) { return t.ccBLastStep; }},
        TrackClampCase{layout::kCcANumbers, 300, 127, [](const TrackSnapshot& t) { return int{t.ccANumber}; }},
        TrackClampCase{layout::kPortamentoOffValues, -2, 0, [](const TrackSnapshot& t) { return int{t.portamentoOffValue}; }},
        TrackClampCase{layout::kTrackOctaves, 9, 3, [](const TrackSnapshot& t) { return t.trackOctave; }},
        TrackClampCase{layout::kTrackTransposes, -40, -12, [](const TrackSnapshot& t) { return t.trackTranspose; }},
        TrackClampCase{layout::kOutputChordCounts, 40, 16, [](const TrackSnapshot& t) { return t.outputChordCount; }},
        TrackClampCase{layout::kTrackMutes, -7, 1, [](const TrackSnapshot& t) { return int{t.mute}; }}));

struct StepClampCase {
    int base;
    int written;
    int expected;
    const std::int32_t (TrackSnapshot::*lane)[kStepsPerLane];
};

class StepClamp : public ::testing::TestWithParam<StepClampCase> {};

TEST_P(StepClamp, ClampsIntoRange) {
    const auto& c = GetParam();
    ConfigBuilder config;
    config.perStep(c.base, 0, 5, c.written);
    EXPECT_EQ((config.decoded().tracks[0].*c.lane)[5], c.expected);
}

INSTANTIATE_TEST_SUITE_P(Decode, StepClamp,
                         ::testing::Values(StepClampCase{layout::kProbabilitySteps, 9, 6, &TrackSnapshot::probability},
                                           StepClampCase{layout::kCcASteps, 200, 128, &TrackSnapshot::ccA},
                                           StepClampCase{layout::kCcBSteps, -1, 0, &TrackSnapshot::ccB},
                                           StepClampCase{layout::kTieSteps, 3, 2, &TrackSnapshot::tie},
                                           StepClampCase{layout::kGateSteps, -9, 1, &TrackSnapshot::gate},
                                           StepClampCase{layout::kVelocitySteps, 128, 127, &TrackSnapshot::velocity},
                                           StepClampCase{layout::kLengthSteps, 101, 100, &TrackSnapshot::length},
                                           StepClampCase{layout::kOctaveSteps, -4, -3, &TrackSnapshot::octave},
                                           StepClampCase{layout::kNoteStepChordCounts, 0, 1, &TrackSnapshot::chordCount},
                                           StepClampCase{layout::kNoteStepChordCounts, 30, 17, &TrackSnapshot::chordCount},
                                           StepClampCase{layout::kNotesSteps, -99999, -99999, &TrackSnapshot::note}));

TEST(ConfigBufferDecode, ChordValuesPastTheCountRepeatTheStepNote) {
    ConfigBuilder config;
    config.perStep(layout::kNotesSteps, 0, 2, 42).chord(0, 2, {4, 5, 6});
    const EngineSnapshot s = config.decoded();
    EXPECT_EQ(s.tracks[0].chordCount[2], 3);
    EXPECT_EQ(s.tracks[0].chordNotes[2][0], 4);
    EXPECT_EQ(s.tracks[0].chordNotes[2][2], 6);
    for (int k = 3; k < kMaxChordValues; ++k) EXPECT_EQ(s.tracks[0].chordNotes[2][k], 42) << k;
}

TEST(ConfigBufferDecode, TracksPastTheCountKeepDefaultsAndPoolIsCopiedRaw) {
    ConfigBuilder config;
    config.trackCount(2).perTrack(layout::kResolutions, 2, 8).perTrack(layout::kChannels, 2, 9).pool({-5, 300, 60});
    config.perTrack(layout::kOutputChordCounts, 0, 2).perTrack(layout::kOutputChordIntervals, 0, 7);
    const EngineSnapshot s = config.decoded();
    EXPECT_EQ(s.tracks[2].resolution, 16);
    EXPECT_EQ(s.tracks[2].channel, 0);
    EXPECT_EQ(s.tracks[2].lastStep, 16);
    EXPECT_EQ(s.tracks[2].gate[0], 0);
    EXPECT_EQ(s.notePool[0], -5);
    EXPECT_EQ(s.notePool[1], 300);
    EXPECT_EQ(s.notePool[3], 0);
    EXPECT_EQ(s.tracks[0].outputChordIntervals[0], 7);
    EXPECT_EQ(s.tracks[0].outputChordIntervals[2], 0);  // past the count
}

}  // namespace
}  // namespace pulvan::engine
