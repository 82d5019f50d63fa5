#include "audiounit/midi_recorder.h"
#include "audiounit/registration.h"
#include "tests/audiounit/audio_unit_driver.h"
#include "tests/audiounit/midi_file_csv.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace pulvan::au::test {
namespace {

TEST(PulvanAudioUnitClass, IsFoundByItsDescriptionAndShowsItsBuses) {
    ComponentRegistry registry;
    registerPulvanAudioUnit(registry);
    InstantiationResult result = registry.instantiate({fourCharCode("aumi"), fourCharCode("kezs"), fourCharCode("kezm"), 0, 0});
    ASSERT_NE(result.unit, nullptr) << result.error;
    auto* unit = dynamic_cast<PulvanAudioUnit*>(result.unit.get());
    ASSERT_NE(unit, nullptr);
    EXPECT_NE(dynamic_cast<AppPlayAudioUnit*>(result.unit.get()), nullptr);
    EXPECT_EQ(unit->inputBusses(), nullptr);
    ASSERT_NE(unit->outputBusses(), nullptr);
    ASSERT_EQ(unit->outputBusses()->count(), 1u);
    const AudioUnitBus& bus = (*unit->outputBusses())[0];
    EXPECT_EQ(bus.format().sampleRate, 44100.0);
    EXPECT_EQ(bus.format().channelCount, 2u);
    EXPECT_EQ(bus.maximumChannelCount(), 8u);
    EXPECT_EQ(unit->midiOutputNames(), std::vector<std::string>{"midiOut"});
    EXPECT_EQ(PulvanAudioUnit::engineCoreFlag(), 1);
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
    std::vector<std::array<std::uint8_t, 3>> received;
    unit.setIncomingMIDIMessageHandler([&](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { received.push_back({s, d1, d2}); });
    unit.drainIncomingMIDIMessages();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], (std::array<std::uint8_t, 3>{0x91, 64, 90}));
}

TEST_F(AudioUnitMethods, DrainingWithoutAHandlerStillEmptiesTheRing) {
    const RenderEvent noteOn{nullptr, 0, RenderEventType::midi, 3, 0, {0x90, 60, 90}};
    driver.hostEvents = &noteOn;
    driver.block(0.0);
    unit.drainIncomingMIDIMessages();
    int calls = 0;
    unit.setIncomingMIDIMessageHandler([&](std::uint8_t, std::uint8_t, std::uint8_t) { ++calls; });
    unit.drainIncomingMIDIMessages();
    EXPECT_EQ(calls, 0);
}

// Holds one note on each of the first `tracks` tracks, then returns what the next block sends.
class HeldNotes : public AudioUnitMethods {
protected:
    void holdOnTracks(int tracks) {
        config.trackCount(tracks);
        for (int t = 0; t < tracks; ++t) {
            fixedNote(config, t, 0, 48 + t).perStep(layout::kTieSteps, t, 0, 1).perTrack(layout::kChannels, t, t + 1);
        }
        unit.configureAppPlay(argumentsFrom(config));
        driver.playUntil(0.0, 1.0);
    }
    std::vector<int> releasedChannels() {
        std::vector<int> channels;
        for (const auto& off : noteOffs(driver.block(driver.sampleTime() / 24000.0))) channels.push_back(off.status & 0x0F);
        return channels;
    }
    ConfigBuilder config;
};

TEST_F(HeldNotes, ChangedOutputOffsetsReleaseOnlyTheirTracks) {
    holdOnTracks(4);
    const std::int32_t first[] = {0, 0, 0, 50};
    unit.setAppPlayMIDIOutOffsetsMs(first);
    EXPECT_EQ(releasedChannels(), std::vector<int>{3});
    // Two numbers: tracks 2 to 5 fall back to 0, so only track 3 changes again; track 1 is set.
    const std::int32_t second[] = {0, 20};
    unit.setAppPlayMIDIOutOffsetsMs(second);
    EXPECT_EQ(releasedChannels(), (std::vector<int>{1}));
}

TEST_F(HeldNotes, NotesOffForTracksIgnoresIndicesOutsideTheTracks) {
    holdOnTracks(3);
    const std::int32_t tracks[] = {-1, 2, 6, 0};
    unit.requestAppPlayNotesOffForTracks(tracks);
    EXPECT_EQ(releasedChannels(), (std::vector<int>{0, 2}));
    unit.requestAppPlayNotesOff();
    EXPECT_EQ(releasedChannels(), (std::vector<int>{1}));
}

TEST_F(HeldNotes, EnablingWhileEnabledChangesNothing) {
    holdOnTracks(1);
    unit.setAppPlayEnabled(true);
    EXPECT_TRUE(releasedChannels().empty());
}

TEST_F(HeldNotes, FewerTracksReleaseEverythingMoreTracksNothing) {
    holdOnTracks(2);
    ConfigBuilder more = config;
    more.trackCount(3);
    unit.configureAppPlay(argumentsFrom(more));
    EXPECT_TRUE(releasedChannels().empty());
    ConfigBuilder fewer = config;
    fewer.trackCount(1);
    unit.configureAppPlay(argumentsFrom(fewer));
    EXPECT_EQ(releasedChannels(), (std::vector<int>{0, 1}));
}

TEST_F(HeldNotes, APatternLaunchSilencesOnlyItsTrackWhenThatTrackHasNothingToPlay) {
    holdOnTracks(3);
    ConfigBuilder empty;  // three tracks, every gate off
    empty.trackCount(3);
    const double now = driver.sampleTime() / 24000.0;
    unit.scheduleAppPlayPatternLaunch(argumentsFrom(empty), 2.0, 2);
    const auto sent = driver.playUntil(now, 2.1);
    std::vector<int> releasedAtTarget;
    for (const auto& off : noteOffs(sent)) {
        if (std::abs(off.beat - 2.0) < 1e-6) releasedAtTarget.push_back(off.status & 0x0F);
    }
    EXPECT_EQ(releasedAtTarget, std::vector<int>{2});
}

TEST_F(AudioUnitMethods, AKnownTakeComesOutAsTheExpectedFile) {
    ConfigBuilder config;
    config.trackCount(2);
    fixedNote(config, 0, 0, 48);  // one C3 a bar, an eighth of a beat long
    config.perStep(layout::kLengthSteps, 0, 0, 50);
    unit.configureAppPlay(argumentsFrom(config));
    unit.setAppPlayMIDIRecordArmStart(true);
    driver.playUntil(0.0, 5.2);
    EXPECT_EQ(unit.currentAppPlayMIDIRecordState(), kRecordRecording);
    unit.setAppPlayMIDIRecordArmStop(true);
    driver.playUntil(driver.sampleTime() / 24000.0, 8.01);
    EXPECT_EQ(unit.currentAppPlayMIDIRecordState(), kRecordIdle);
    EXPECT_EQ(unit.currentAppPlayMIDIRecordBarCount(), 1);
    const auto file = unit.consumeAppPlayMIDIRecordData();
    ASSERT_TRUE(file.has_value());
    const std::vector<std::uint8_t> expected = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 3, 0x03, 0xC0,
        'M', 'T', 'r', 'k', 0, 0, 0, 12, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x9E, 0x00, 0xFF, 0x2F, 0x00,
        'M', 'T', 'r', 'k', 0, 0, 0, 13, 0x00, 0x90, 0x30, 0x64, 0x78, 0x80, 0x30, 0x00, 0x9D, 0x08, 0xFF, 0x2F, 0x00,
        'M', 'T', 'r', 'k', 0, 0, 0, 5, 0x9E, 0x00, 0xFF, 0x2F, 0x00,
    };
    EXPECT_EQ(*file, expected);
    const auto rows = midicsvRows(*file);
    EXPECT_EQ(rowsOfType(rows, "End_track").size(), 3u);
    EXPECT_EQ(rowsOfType(rows, "Note_on_c").size(), 1u);
    EXPECT_FALSE(unit.consumeAppPlayMIDIRecordData().has_value());
}

TEST_F(AudioUnitMethods, StoppingTheTransportDropsTheTake) {
    ConfigBuilder config;
    fixedNote(config, 0, 0, 48);
    unit.configureAppPlay(argumentsFrom(config));
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
