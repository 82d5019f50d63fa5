#include "engine/note_generation.h"

#include <gtest/gtest.h>

#include "tests/support/engine_harness.h"

#include <climits>
#include <memory>
#include <vector>

namespace pulvan::engine {
namespace {
namespace layout = config_layout;
using test::ConfigBuilder;

// One step of track 0 at global step `globalStep` (lane positions follow it), rate 16.
struct Generated {
    std::unique_ptr<StepScratch> scratch = std::make_unique<StepScratch>();
    std::vector<int> notes() const {
        if (scratch->stepCount == 0) return {};
        const ScheduledStep& s = scratch->steps[0];
        return {s.notes, s.notes + s.noteCount};
    }
};

Generated generate(const ConfigBuilder& config, std::int64_t globalStep = 0) {
    Generated g;
    g.scratch->clear();
    generateStepNotes(config.decoded(), 0, globalStep, *g.scratch, 1.0, 0.25, 4.0);
    return g;
}

struct PoolCase {
    int value;
    int fillMode;
    std::vector<int> expected;
    bool emptyPool = false;
};

class PoolAndFill : public ::testing::TestWithParam<PoolCase> {};

TEST_P(PoolAndFill, PicksFromThePoolOrFills) {
    const auto& c = GetParam();
    ConfigBuilder config;
    config.pool({60, 64, 67}).gates(0, {0}).chord(0, 0, {c.value}).perTrack(layout::kFillModes, 0, c.fillMode);
    if (c.emptyPool) config.pool({});
    EXPECT_EQ(generate(config).notes(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Notes, PoolAndFill,
                         ::testing::Values(PoolCase{0, 1, {60}}, PoolCase{1, 0, {64}}, PoolCase{2, 3, {67}}, PoolCase{4, 1, {64}},
                                           PoolCase{4, 2, {76}}, PoolCase{4, 3, {52}}, PoolCase{4, 0, {}}, PoolCase{-1, 1, {67}},
                                           PoolCase{-1, 2, {67}}, PoolCase{-1, 3, {67}}, PoolCase{-1, 0, {}}, PoolCase{7, 2, {88}},
                                           PoolCase{INT_MAX, 2, {}}, PoolCase{INT_MIN, 1, {64}}, PoolCase{0, 0, {}, true},
                                           PoolCase{0, 1, {}, true}, PoolCase{0, 2, {}, true}, PoolCase{0, 3, {}, true}));

struct PitchCase {
    const char* name;
    std::vector<int> chord;
    bool fixed;
    int octaveLane;
    int trackOctave;
    int transpose;
    std::vector<int> expected;
};

class Pitches : public ::testing::TestWithParam<PitchCase> {};

TEST_P(Pitches, ShiftDropAndClamp) {
    const auto& c = GetParam();
    ConfigBuilder config;
    config.pool({100, 5}).gates(0, {0}).perStep(layout::kFixSteps, 0, 0, c.fixed);
    config.chord(0, 0, c.chord).perStep(layout::kOctaveSteps, 0, 0, c.octaveLane).perTrack(layout::kTrackOctaves, 0, c.trackOctave);
    config.perTrack(layout::kTrackTransposes, 0, c.transpose);
    EXPECT_EQ(generate(config).notes(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Notes, Pitches,
                         ::testing::Values(PitchCase{"fixed70Dropped", {70}, true, 0, 0, 0, {}},
                                           PitchCase{"fixedMinus61Dropped", {-61}, true, 0, 0, 0, {}},
                                           PitchCase{"fixedMinus60IsZero", {-60}, true, 0, 0, 0, {0}},
                                           PitchCase{"fixedHugeDropped", {INT_MAX}, true, 0, 0, 0, {}},
                                           PitchCase{"octaveLaneDrops", {0}, false, 3, 0, 0, {}},
                                           PitchCase{"trackOctaveClamps", {0}, false, 0, 3, 0, {127}},
                                           PitchCase{"transposeClampsNoDouble", {-55, -56}, true, 0, 0, -12, {0}},
                                           PitchCase{"poolNoteTransposedDown", {1}, false, 0, 0, -12, {0}},
                                           PitchCase{"octaveLaneUp", {1}, false, 2, 0, 0, {29}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Notes, SeventeenNotesAtMostAndHugeIntervalsClampWithoutOverflow) {
    ConfigBuilder config;
    config.gates(0, {0}).perStep(layout::kFixSteps, 0, 0, 1);
    config.perStep(layout::kNoteStepChordCounts, 0, 0, 17);
    for (int k = 0; k < 17; ++k) config.words()[layout::chordValueWord(0, 0, k)] = k - 20;
    config.perTrack(layout::kOutputChordCounts, 0, 2);
    config.words()[layout::outputChordIntervalWord(0, 0)] = INT_MAX;
    config.words()[layout::outputChordIntervalWord(0, 1)] = INT_MIN;
    const auto notes = generate(config).notes();
    ASSERT_EQ(notes.size(), 17u);
    EXPECT_EQ(notes[0], 40);
    EXPECT_EQ(notes[1], 127);  // 40 + INT_MAX clamps high, not wrapping negative
    EXPECT_EQ(notes[2], 0);    // 40 + INT_MIN clamps low
    EXPECT_EQ(notes[3], 41);
}

TEST(Notes, HugePoolNotesAreDroppedNotWrapped) {
    ConfigBuilder config;
    config.pool({INT_MAX, INT_MIN, 60}).gates(0, {0}).chord(0, 0, {0, 1, 2});
    config.perStep(layout::kOctaveSteps, 0, 0, 3);
    EXPECT_EQ(generate(config).notes(), (std::vector<int>{96}));
}

struct BarConditionCase {
    int condition;
    std::vector<int> soundingBars;  // of bars -1..3 (16 steps a bar); bars before the anchor count negative
};

class BarConditions : public ::testing::TestWithParam<BarConditionCase> {};

TEST_P(BarConditions, PlayOnlyInTheirBars) {
    const auto& c = GetParam();
    ConfigBuilder config;
    config.pool({60}).allSteps(layout::kGateSteps, 0, 1).allSteps(layout::kProbabilitySteps, 0, c.condition);
    const EngineSnapshot snapshot = config.decoded();
    for (int bar = -1; bar < 4; ++bar) {
        auto scratch = std::make_unique<StepScratch>();
        scratch->clear();
        for (int step = 0; step < 16; ++step) generateStepNotes(snapshot, 0, bar * 16 + step, *scratch, 0.0, 0.25, 4.0);
        const bool sounds = std::find(c.soundingBars.begin(), c.soundingBars.end(), bar) != c.soundingBars.end();
        EXPECT_EQ(scratch->stepCount, sounds ? 16 : 0) << "bar " << bar;
    }
}

INSTANTIATE_TEST_SUITE_P(Notes, BarConditions,
                         ::testing::Values(BarConditionCase{0, {-1, 0, 1, 2, 3}}, BarConditionCase{1, {0, 2}},
                                           BarConditionCase{2, {-1, 1, 3}}, BarConditionCase{3, {0}}, BarConditionCase{4, {1}},
                                           BarConditionCase{5, {2}}, BarConditionCase{6, {-1, 3}}));

TEST(Notes, ControlLanesSendWithGateOff) {
    ConfigBuilder config;
    config.perStep(layout::kCcASteps, 0, 0, 65).perStep(layout::kCcBSteps, 0, 0, 1).perTrack(layout::kCcANumbers, 0, 74);
    // (controller, value) of each control change; lane value 0 sends nothing, 1..128 send 0..127.
    auto sent = [&] {
        const auto g = generate(config);
        std::vector<std::pair<int, int>> out;
        for (int i = 0; i < g.scratch->ccCount; ++i) out.emplace_back(g.scratch->ccs[i].controller, g.scratch->ccs[i].value);
        return out;
    };
    EXPECT_EQ(sent(), (std::vector<std::pair<int, int>>{{74, 64}, {2, 0}}));
    config.perStep(layout::kCcASteps, 0, 0, 0).perStep(layout::kCcBSteps, 0, 0, 200);
    EXPECT_EQ(sent(), (std::vector<std::pair<int, int>>{{2, 127}}));
}

struct LengthCase {
    int velocity;
    int length;
    int tie;
    bool sounds;
    double expectedLength;
};

class VelocityLengthTie : public ::testing::TestWithParam<LengthCase> {};

TEST_P(VelocityLengthTie, DecideSoundAndLength) {
    const auto& c = GetParam();
    ConfigBuilder config;
    config.pool({60}).gates(0, {0}).perStep(layout::kVelocitySteps, 0, 0, c.velocity);
    config.perStep(layout::kLengthSteps, 0, 0, c.length).perStep(layout::kTieSteps, 0, 0, c.tie);
    const auto g = generate(config);
    ASSERT_EQ(g.scratch->stepCount, c.sounds ? 1 : 0);
    if (c.sounds) {
        EXPECT_DOUBLE_EQ(g.scratch->steps[0].length, c.expectedLength);
        EXPECT_DOUBLE_EQ(g.scratch->steps[0].gateLength, 0.225);
    }
}

INSTANTIATE_TEST_SUITE_P(Notes, VelocityLengthTie,
                         ::testing::Values(LengthCase{0, 50, 0, false, 0}, LengthCase{100, 0, 0, false, 0},
                                           LengthCase{100, 100, 0, true, 0.25}, LengthCase{100, 50, 0, true, 0.125},
                                           LengthCase{100, 50, 1, true, 0.0}, LengthCase{100, 50, 2, true, 0.0}));

TEST(Notes, EachLaneReadsAtItsOwnPosition) {
    ConfigBuilder config;
    config.pool({60, 62, 64}).allSteps(layout::kGateSteps, 0, 1);
    config.perTrack(layout::kNotesLastSteps, 0, 3).chord(0, 0, {0}).chord(0, 1, {1}).chord(0, 2, {2});
    config.perTrack(layout::kVelocityLastSteps, 0, 2).perStep(layout::kVelocitySteps, 0, 1, 30);
    std::vector<int> notes, velocities;
    for (int g = 0; g < 6; ++g) {
        const auto gen = generate(config, g);
        notes.push_back(gen.notes().at(0));
        velocities.push_back(gen.scratch->steps[0].velocity);
    }
    EXPECT_EQ(notes, (std::vector<int>{60, 62, 64, 60, 62, 64}));
    EXPECT_EQ(velocities, (std::vector<int>{100, 30, 100, 30, 100, 30}));
}

}  // namespace
}  // namespace pulvan::engine
