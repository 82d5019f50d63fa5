#include <gtest/gtest.h>

#include "audiounit/midi_recorder.h"
#include "audiounit/registration.h"
#include "tests/audiounit/midi_file_csv.h"
#include "tests/support/audio_unit_driver.h"

#include <array>

namespace pulvan::au::test {
namespace {

TEST(PulvanAudioUnitClass, IsFoundByItsDescriptionAndShowsItsBuses) {
    ComponentRegistry registry;
    registerPulvanAudioUnit(registry);
    InstantiationResult result = registry.instantiate({fourCharCode("aumi"), fourCharCode("kezs"), fourCharCode("kezm"), 0, 0});
    auto* unit = dynamic_cast<PulvanAudioUnit*>(result.unit.get());
    ASSERT_NE(unit, nullptr) << result.error;
    EXPECT_EQ(unit->inputBusses(), nullptr);
    ASSERT_NE(unit->outputBusses(), nullptr);
    ASSERT_EQ(unit->outputBusses()->count(), 1u);
    const AudioUnitBus& bus = (*unit->outputBusses())[0];
    EXPECT_EQ(bus.format().sampleRate, 44100.0);
    EXPECT_EQ(bus.format().channelCount, 2u);
    EXPECT_EQ(bus.maximumChannelCount(), 8u);
    EXPECT_EQ(unit->midiOutputNames(), std::vector<std::string>{"midiOut"});
    for (int t = -1; t <= 6; ++t) EXPECT_EQ(unit->currentAppPlayGlobalStepForTrack(t), t >= 0 && t < 6 ? 0 : -1);
}

class AudioUnitMethods : public ::testing::Test {
protected:
    AudioUnitDriver driver;
    PulvanAudioUnit& unit = driver.unit();
};

TEST_F(AudioUnitMethods, ImmediateMessagesFillTheRingThenDropUntilARenderDrainsIt) {
    const int capacity = 16384 / 3;  // 5461 whole messages in 16383 bytes
    for (int i = 0; i < capacity + 3; ++i) unit.sendImmediateMIDI(0xB0, 1, static_cast<std::uint8_t>(i % 128));
    const auto first = driver.block(0.0);
    ASSERT_EQ(static_cast<int>(first.size()), capacity);
    for (int i = 0; i < capacity; ++i) {
        EXPECT_TRUE(first[i].immediate());
        EXPECT_EQ(first[i].data2, i % 128) << i;
    }
    unit.sendImmediateMIDI(0x90, 60, 1);
    const auto second = driver.block(driver.blockQN());
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].data1, 60);
}

TEST_F(AudioUnitMethods, HostMIDIReachesTheHandlerAndShortMessagesDoNot) {
    const RenderEvent programChange{nullptr, 0, RenderEventType::midi, 2, 0, {0xC0, 5, 0}};
    const RenderEvent noteOn{&programChange, 0, RenderEventType::midi, 3, 0, {0x91, 64, 90}};
    const RenderEvent parameter{&noteOn, 0, RenderEventType::parameter, 3, 0, {1, 2, 3}};
    driver.hostEvents = &parameter;
    driver.block(0.0);
    unit.drainIncomingMIDIMessages();  // without a handler: the ring still empties
    driver.block(driver.blockQN());
    std::vector<std::array<std::uint8_t, 3>> received;
    unit.setIncomingMIDIMessageHandler([&](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { received.push_back({s, d1, d2}); });
    unit.drainIncomingMIDIMessages();
    EXPECT_EQ(received, (std::vector<std::array<std::uint8_t, 3>>{{0x91, 64, 90}}));
}

TEST_F(AudioUnitMethods, AKnownTakeComesOutAsTheExpectedFile) {
    ConfigBuilder config;
    config.trackCount(2);
    fixedNote(config, 0, 0, 48);  // one C3 a bar, an eighth of a beat long
    driver.configure(config.perStep(layout::kLengthSteps, 0, 0, 50));
    unit.setAppPlayMIDIRecordArmStart(true);
    driver.playUntil(0.0, 5.2);
    EXPECT_EQ(unit.currentAppPlayMIDIRecordState(), kRecordRecording);
    unit.setAppPlayMIDIRecordArmStop(true);
    driver.playUntil(driver.nextBeat(), 8.01);
    EXPECT_EQ(unit.currentAppPlayMIDIRecordState(), kRecordIdle);
    EXPECT_EQ(unit.currentAppPlayMIDIRecordBarCount(), 1);
    const auto file = unit.consumeAppPlayMIDIRecordData();
    ASSERT_TRUE(file.has_value());
    const std::vector<std::uint8_t> expected = {
        'M',  'T',  'h',  'd',  0,   0,    0,    6,    0,    1,    0,    3,    0x03, 0xC0, 'M',  'T',  'r',
        'k',  0,    0,    0,    12,  0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x9E, 0x00, 0xFF, 0x2F, 0x00,
        'M',  'T',  'r',  'k',  0,   0,    0,    13,   0x00, 0x90, 0x30, 0x64, 0x78, 0x80, 0x30, 0x00, 0x9D,
        0x08, 0xFF, 0x2F, 0x00, 'M', 'T',  'r',  'k',  0,    0,    0,    5,    0x9E, 0x00, 0xFF, 0x2F, 0x00,
    };
    EXPECT_EQ(*file, expected);
    const auto rows = midicsvRows(*file);
    EXPECT_EQ(rowsOfType(rows, "End_track").size(), 3u);
    EXPECT_EQ(rowsOfType(rows, "Note_on_c").size(), 1u);
    EXPECT_FALSE(unit.consumeAppPlayMIDIRecordData().has_value());
}

TEST_F(AudioUnitMethods, StoppingTheTransportDropsTheTake) {
    ConfigBuilder config;
    driver.configure(fixedNote(config, 0, 0, 48));
    for (bool armStopFirst : {false, true}) {
        unit.setAppPlayMIDIRecordArmStart(true);
        driver.playUntil(0.0, 4.5);
        if (armStopFirst) unit.setAppPlayMIDIRecordArmStop(true);
        driver.stop();
        EXPECT_EQ(unit.currentAppPlayMIDIRecordState(), kRecordIdle);
        EXPECT_FALSE(unit.consumeAppPlayMIDIRecordData().has_value());
    }
}

}  // namespace
}  // namespace pulvan::au::test
