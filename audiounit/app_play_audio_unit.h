#pragma once
#include "audiounit/app_play_config.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace pulvan::au {

// What the engine link drives on the sequencer's audio unit, all on the main thread. Every call
// is virtual, so a program that loads the unit from a bundle reaches the bundle's code through
// this header alone. No method fails: out-of-range numbers are clamped or ignored.
class AppPlayAudioUnit {
public:
    using IncomingMIDIMessageHandler = std::function<void(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)>;

    virtual ~AppPlayAudioUnit() = default;

    virtual void configureAppPlay(const AppPlayArguments& arguments) = 0;
    virtual void scheduleAppPlaySceneLaunch(const AppPlayArguments& arguments, double targetBeat) = 0;
    virtual void scheduleAppPlayPatternLaunch(const AppPlayArguments& arguments, double targetBeat, std::int64_t trackIndex) = 0;
    virtual void cancelScheduledAppPlayPatternLaunch() = 0;
    virtual void setAppPlayEnabled(bool enabled) = 0;
    virtual void setAppPlayMIDIOutOffsetsMs(std::span<const std::int32_t> offsets) = 0;
    virtual void requestAppPlayNotesOff() = 0;
    virtual void requestAppPlayNotesOffForTracks(std::span<const std::int32_t> tracks) = 0;
    virtual void setAppPlayResyncArmed(bool armed) = 0;
    virtual bool isAppPlayResyncArmed() const = 0;

    virtual double currentAppPlayMeasureProgress() const = 0;
    virtual double currentAppPlayBeatPosition() const = 0;
    virtual std::int64_t currentAppPlayGlobalStepForTrack(std::int64_t track) const = 0;  // -1: none
    virtual std::uint64_t currentAppPlayActiveNotesLowForTrack(std::int64_t track) const = 0;
    virtual std::uint64_t currentAppPlayActiveNotesHighForTrack(std::int64_t track) const = 0;
    virtual bool isAppPlayTransportMoving() const = 0;

    virtual void setAppPlayMIDIRecordArmStart(bool arm) = 0;
    virtual void setAppPlayMIDIRecordArmStop(bool arm) = 0;
    virtual std::int64_t currentAppPlayMIDIRecordState() const = 0;  // 0 idle, 1 armStart, 2 recording, 3 armStop
    virtual std::int64_t currentAppPlayMIDIRecordBarCount() const = 0;
    // The finished take as a Standard MIDI File, handed out once.
    virtual std::optional<std::vector<std::uint8_t>> consumeAppPlayMIDIRecordData() = 0;

    virtual void sendImmediateMIDI(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) = 0;
    virtual void drainIncomingMIDIMessages() = 0;
    virtual void setIncomingMIDIMessageHandler(IncomingMIDIMessageHandler handler) = 0;
};

}  // namespace pulvan::au
