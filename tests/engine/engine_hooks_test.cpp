#include "engine/engine_hooks.h"

#include <gtest/gtest.h>

#include "engine/sequencer_engine.h"
#include "tests/support/engine_harness.h"

#include <vector>

namespace pulvan::engine {
namespace {
using test::EngineDriver;
using test::ofKind;

class Hooks : public ::testing::Test {
protected:
    SequencerEngine& engine() { return driver.engine(); }
    EngineDriver driver;
    KezVst3EngineHooks hooks = KezVst3EngineMakeHooks(&driver.engine());
};

TEST_F(Hooks, ImmediateMIDIDeliversTheFirst256InOrderAndDropsTheRest) {
    for (int i = 0; i < 300; ++i) hooks.sendImmediateMIDI(hooks.engine, 0xB3, static_cast<uint8_t>(i % 128), static_cast<uint8_t>(i / 128));
    const auto events = driver.stop();
    ASSERT_EQ(events.size(), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(events[i].data1, i % 128);
        EXPECT_EQ(events[i].data2, i / 128);
        EXPECT_EQ(events[i].channel, 3);
        EXPECT_EQ(events[i].track, -1);
    }
    EXPECT_TRUE(driver.stop().empty());
}

struct ImmediateCase {
    uint8_t status, data1, data2;
    int expectedKind;  // -1: dropped
};

class ImmediateKinds : public ::testing::TestWithParam<ImmediateCase> {};

TEST_P(ImmediateKinds, OnlyNotesAndControlChangesGoOut) {
    EngineDriver driver;
    const auto& c = GetParam();
    KezVst3EngineSendImmediateMIDI(&driver.engine(), c.status, c.data1, c.data2);
    const auto events = driver.stop();
    if (c.expectedKind < 0) {
        EXPECT_TRUE(events.empty());
        return;
    }
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, c.expectedKind);
    EXPECT_EQ(events[0].data1, c.data1 & 0x7F);
    EXPECT_EQ(events[0].data2, c.data2 & 0x7F);
    EXPECT_EQ(events[0].channel, c.status & 0x0F);
}

INSTANTIATE_TEST_SUITE_P(Hooks, ImmediateKinds,
                         ::testing::Values(ImmediateCase{0x91, 60, 100, kEventNoteOn}, ImmediateCase{0x91, 60, 0, kEventNoteOff},
                                           ImmediateCase{0x8F, 200, 90, kEventNoteOff}, ImmediateCase{0xB0, 7, 255, kEventControlChange},
                                           ImmediateCase{0xE0, 0, 64, -1}, ImmediateCase{0xC0, 5, 0, -1}, ImmediateCase{0x40, 1, 1, -1}));

TEST_F(Hooks, IncomingRingHolds256AcrossTheIndexLimitPopsInOrderAndLeavesOutputsWhenEmpty) {
    uint8_t s = 1, d1 = 2, d2 = 3;
    EXPECT_EQ(hooks.popIncomingMIDI(hooks.engine, &s, &d1, &d2), 0);
    EXPECT_EQ((std::vector<int>{s, d1, d2}), (std::vector<int>{1, 2, 3}));
    engine().incomingMIDI.writeIndex = engine().incomingMIDI.readIndex = 0xFFFFFFF0u;
    for (int i = 0; i < 257; ++i) EXPECT_EQ(engine().incomingMIDI.push(0x90, static_cast<uint8_t>(i % 128), 1), i < 256);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(hooks.popIncomingMIDI(hooks.engine, &s, &d1, &d2), 1);
        EXPECT_EQ(d1, i % 128);
    }
    EXPECT_EQ(hooks.popIncomingMIDI(hooks.engine, &s, &d1, &d2), 0);
}

TEST_F(Hooks, GettersGiveNeutralValuesOutOfRange) {
    driver.block(0.0);
    for (int32_t track : {-1, 6, 99}) {
        EXPECT_EQ(hooks.currentStepGlobal(hooks.engine, track), -1);
        EXPECT_EQ(hooks.currentActiveNotesLow(hooks.engine, track), 0u);
        EXPECT_EQ(hooks.currentActiveNotesHigh(hooks.engine, track), 0u);
    }
    EXPECT_EQ(hooks.currentStepGlobal(hooks.engine, 0), 0);
    EXPECT_EQ(hooks.currentActiveNotesLow(hooks.engine, 0), std::uint64_t{1} << 48);  // demo note 48 sounds
    EXPECT_EQ(hooks.isTransportMoving(hooks.engine), 1);
}

TEST_F(Hooks, NoteSixtyFourSetsBitZeroOfTheHighMask) {
    test::ConfigBuilder config;
    config.pool({64}).gates(0, {0});
    hooks.pushConfigBuffer(hooks.engine, config.data(), config.size());
    driver.block(0.0);
    EXPECT_EQ(hooks.currentActiveNotesHigh(hooks.engine, 0), 1u);
    EXPECT_EQ(hooks.currentActiveNotesLow(hooks.engine, 0), 0u);
}

TEST_F(Hooks, OffsetsClampFillWithZeroAndReleaseChangedTracks) {
    const int32_t offsets[] = {250, -10};
    hooks.setTrackMIDIOutOffsetsMs(hooks.engine, offsets, 2);
    const std::vector<int> expected{200, -10, 0, 0, 0, 0};
    for (int t = 0; t < kTrackCount; ++t) EXPECT_EQ(engine().midiOutOffsetsMs[t].load(), expected[t]);
    EXPECT_EQ(engine().notesOffRequestMask.load(), 0b11u);
    engine().notesOffRequestMask = 0;
    hooks.setTrackMIDIOutOffsetsMs(hooks.engine, offsets, 2);
    EXPECT_EQ(engine().notesOffRequestMask.load(), 0u);
    hooks.setTrackMIDIOutOffsetsMs(hooks.engine, nullptr, 6);
    EXPECT_EQ(engine().notesOffRequestMask.load(), 0b11u);
}

TEST_F(Hooks, TrackNotesOffIgnoresHighBitsAndAllNotesOffEndsEverything) {
    auto events = driver.playUntil(0.0, 0.03);
    hooks.forceTrackNotesOff(hooks.engine, 0xFFFFFFC1u);
    auto after = driver.next();
    ASSERT_FALSE(ofKind(after, kEventNoteOff).empty());
    EXPECT_EQ(ofKind(after, kEventNoteOff)[0].time, kBlockStartTime);
    events.insert(events.end(), after.begin(), after.end());
    EXPECT_TRUE(test::soundingNotes(events).empty());
    hooks.forceAllNotesOff(hooks.engine);
    EXPECT_EQ(engine().allNotesOffRequested.load(), 1);
}

TEST_F(Hooks, PresetBlobCopiesClampsAndEmpties) {
    std::vector<uint8_t> blob(25);
    for (int i = 0; i < 25; ++i) blob[i] = static_cast<uint8_t>(i);
    hooks.pushPresetBlob(hooks.engine, blob.data(), 25);
    EXPECT_EQ(hooks.presetBlobSize(hooks.engine), 25);
    uint8_t dest[10] = {};
    EXPECT_EQ(hooks.copyPresetBlob(hooks.engine, dest, 10), 10);
    EXPECT_EQ(dest[9], 9);
    EXPECT_EQ(hooks.copyPresetBlob(hooks.engine, nullptr, 10), 0);
    EXPECT_EQ(hooks.copyPresetBlob(hooks.engine, dest, 0), 0);
    hooks.pushPresetBlob(hooks.engine, blob.data(), 0);
    EXPECT_EQ(hooks.presetBlobSize(hooks.engine), 0);
    EXPECT_EQ(hooks.copyPresetBlob(hooks.engine, dest, 10), 0);
}

TEST_F(Hooks, ResizeReachesTheInstalledCallbackOnly) {
    hooks.requestEditorResize(hooks.engine, 100, 57);  // nothing installed: nothing happens
    double w = 0, h = 0;
    engine().editorResizeCallback = [&](double width, double height) { w = width, h = height; };
    hooks.requestEditorResize(hooks.engine, 1280, 730);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 730);
}

TEST(HooksWithoutEngine, EveryHookIsHarmless) {
    const KezVst3EngineHooks none = KezVst3EngineMakeHooks(nullptr);
    none.pushConfigBuffer(nullptr, nullptr, 0);
    none.setEnabled(nullptr, 1);
    EXPECT_EQ(none.currentStepGlobal(nullptr, 0), -1);
    EXPECT_EQ(none.presetBlobSize(nullptr), 0);
    EXPECT_EQ(none.popIncomingMIDI(nullptr, nullptr, nullptr, nullptr), 0);
}

}  // namespace
}  // namespace pulvan::engine
