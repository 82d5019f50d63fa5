#include "engine/config_buffer.h"

#include <gtest/gtest.h>

#include "engine/sequencer_engine.h"
#include "tests/support/engine_harness.h"

#include <vector>

namespace pulvan::engine {
namespace {
namespace layout = config_layout;
using test::ConfigBuilder;

TEST(ConfigBufferLayout, ArraysTileTheBufferWithoutGaps) {
    EXPECT_EQ(layout::outputChordIntervalWord(5, 15) + 1, layout::kGateSteps);
    EXPECT_EQ(layout::chordValueWord(5, 63, 16) + 1, layout::kOctaveSteps);
    EXPECT_EQ(layout::stepWord(layout::kCcBSteps, 5, 63) + 1, kConfigBufferWordCount);
}

TEST(ConfigBufferAcceptance, RejectsShortNullOrWrongMagicAndKeepsExactly11112WordsOfALongerOne) {
    SequencerEngine engine;
    ConfigBuilder config;
    applyConfigBuffer(engine, config.data(), kConfigBufferWordCount - 1);
    applyConfigBuffer(engine, nullptr, kConfigBufferWordCount);
    std::vector<std::int32_t> words(config.data(), config.data() + config.size());
    words[0] = layout::kMagic + 1;
    applyConfigBuffer(engine, words.data(), config.size());
    EXPECT_TRUE(copyRawConfig(engine).empty());
    EXPECT_EQ(engine.publishedSnapshots.generation.load(), 0u);

    words[0] = layout::kMagic;
    words.resize(20000, 7);
    applyConfigBuffer(engine, words.data(), static_cast<std::int32_t>(words.size()));
    const auto raw = copyRawConfig(engine);
    ASSERT_EQ(raw.size(), 11112u);
    EXPECT_EQ(raw[0], layout::kMagic);
    EXPECT_EQ(engine.publishedSnapshots.generation.load(), 1u);
}

struct ClampCase {
    const char* name;
    int word;
    int written;
    int expected;
    int (*read)(const EngineSnapshot&);
};

// Track 0, step 5.
#define READ(field) [](const EngineSnapshot& s) { return int(s.field); }
constexpr int track0(int base) { return layout::trackWord(base, 0); }
constexpr int step5(int base) { return layout::stepWord(base, 0, 5); }

class Decode : public ::testing::TestWithParam<ClampCase> {};

TEST_P(Decode, ClampsIntoRange) {
    const auto& c = GetParam();
    ConfigBuilder config;
    config.words()[c.word] = c.written;
    EXPECT_EQ(c.read(config.decoded()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Words, Decode,
    ::testing::Values(ClampCase{"trackCountLow", layout::kTrackCount, 0, 1, READ(trackCount)},
                      ClampCase{"trackCountHigh", layout::kTrackCount, 9, 6, READ(trackCount)},
                      ClampCase{"swingLow", layout::kSwingPercent, 49, 50, READ(swingPercent)},
                      ClampCase{"swingHigh", layout::kSwingPercent, 80, 75, READ(swingPercent)},
                      ClampCase{"poolCountHigh", layout::kNotePoolCount, 200, 128, READ(notePoolCount)},
                      ClampCase{"poolCountLow", layout::kNotePoolCount, -5, 0, READ(notePoolCount)},
                      ClampCase{"channelLow", track0(layout::kChannels), 0, 0, READ(tracks[0].channel)},
                      ClampCase{"channelHigh", track0(layout::kChannels), 17, 15, READ(tracks[0].channel)},
                      ClampCase{"directionBelow", track0(layout::kDirections), -1, 0, READ(tracks[0].direction)},
                      ClampCase{"directionAbove", track0(layout::kDirections), 6, 0, READ(tracks[0].direction)},
                      ClampCase{"directionLast", track0(layout::kDirections), 5, 5, READ(tracks[0].direction)},
                      ClampCase{"fillModeAbove", track0(layout::kFillModes), 4, 1, READ(tracks[0].fillMode)},
                      ClampCase{"fillModeBelow", track0(layout::kFillModes), -1, 1, READ(tracks[0].fillMode)},
                      ClampCase{"fillModeFirst", track0(layout::kFillModes), 0, 0, READ(tracks[0].fillMode)},
                      ClampCase{"resolutionLow", track0(layout::kResolutions), -3, 1, READ(tracks[0].resolution)},
                      ClampCase{"lastStepHigh", track0(layout::kLastSteps), 65, 64, READ(tracks[0].lastStep)},
                      ClampCase{"ccBLastStepLow", track0(layout::kCcBLastSteps), 0, 1, READ(tracks[0].ccBLastStep)},
                      ClampCase{"ccNumberHigh", track0(layout::kCcANumbers), 300, 127, READ(tracks[0].ccANumber)},
                      ClampCase{"portamentoOffLow", track0(layout::kPortamentoOffValues), -2, 0, READ(tracks[0].portamentoOffValue)},
                      ClampCase{"trackOctaveHigh", track0(layout::kTrackOctaves), 9, 3, READ(tracks[0].trackOctave)},
                      ClampCase{"transposeLow", track0(layout::kTrackTransposes), -40, -12, READ(tracks[0].trackTranspose)},
                      ClampCase{"outputChordCountHigh", track0(layout::kOutputChordCounts), 40, 16, READ(tracks[0].outputChordCount)},
                      ClampCase{"muteAnyNonZero", track0(layout::kTrackMutes), -7, 1, READ(tracks[0].mute)},
                      ClampCase{"probabilityHigh", step5(layout::kProbabilitySteps), 9, 6, READ(tracks[0].probability[5])},
                      ClampCase{"ccAHigh", step5(layout::kCcASteps), 200, 128, READ(tracks[0].ccA[5])},
                      ClampCase{"ccBLow", step5(layout::kCcBSteps), -1, 0, READ(tracks[0].ccB[5])},
                      ClampCase{"tieHigh", step5(layout::kTieSteps), 3, 2, READ(tracks[0].tie[5])},
                      ClampCase{"gateAnyNonZero", step5(layout::kGateSteps), -9, 1, READ(tracks[0].gate[5])},
                      ClampCase{"velocityHigh", step5(layout::kVelocitySteps), 128, 127, READ(tracks[0].velocity[5])},
                      ClampCase{"lengthHigh", step5(layout::kLengthSteps), 101, 100, READ(tracks[0].length[5])},
                      ClampCase{"octaveLow", step5(layout::kOctaveSteps), -4, -3, READ(tracks[0].octave[5])},
                      ClampCase{"chordCountLow", step5(layout::kNoteStepChordCounts), 0, 1, READ(tracks[0].chordCount[5])},
                      ClampCase{"chordCountHigh", step5(layout::kNoteStepChordCounts), 30, 17, READ(tracks[0].chordCount[5])},
                      ClampCase{"noteUnclamped", step5(layout::kNotesSteps), -99999, -99999, READ(tracks[0].note[5])}),
    [](const auto& info) { return std::string(info.param.name); });
#undef READ

TEST(ConfigBufferDecode, ChordValuesPastTheCountRepeatTheStepNote) {
    ConfigBuilder config;
    config.perStep(layout::kNotesSteps, 0, 2, 42).chord(0, 2, {4, 5, 6});
    const EngineSnapshot s = config.decoded();
    EXPECT_EQ(s.tracks[0].chordCount[2], 3);
    EXPECT_EQ(std::vector<int>(std::begin(s.tracks[0].chordNotes[2]), std::end(s.tracks[0].chordNotes[2])),
              (std::vector<int>{4, 5, 6, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42}));
}

TEST(ConfigBufferDecode, TracksPastTheCountKeepDefaultsAndPoolIsCopiedRaw) {
    ConfigBuilder config;
    config.trackCount(2).perTrack(layout::kResolutions, 2, 8).perTrack(layout::kChannels, 2, 9).pool({-5, 300, 60});
    config.perTrack(layout::kOutputChordCounts, 0, 2).perTrack(layout::kOutputChordIntervals, 0, 7);
    const EngineSnapshot s = config.decoded();
    const TrackSnapshot& past = s.tracks[2];
    EXPECT_EQ((std::vector<int>{past.resolution, past.channel, past.lastStep, past.gate[0]}), (std::vector<int>{16, 0, 16, 0}));
    EXPECT_EQ((std::vector<int>{s.notePool[0], s.notePool[1], s.notePool[3]}), (std::vector<int>{-5, 300, 0}));
    EXPECT_EQ(s.tracks[0].outputChordIntervals[0], 7);
    EXPECT_EQ(s.tracks[0].outputChordIntervals[2], 0);  // past the count
}

}  // namespace
}  // namespace pulvan::engine
