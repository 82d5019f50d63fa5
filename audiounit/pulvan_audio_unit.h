#pragma once
#include "audiounit/app_play_audio_unit.h"
#include "platform/audiounit/audio_unit.h"

#include <memory>
#include <string>

namespace pulvan::au {

struct AppPlayEngine;

// The sequencer as an audio unit of type MIDI processor: no audio, one output bus for the
// host's sake, and everything it plays sent through the host's MIDI output block. All render
// state lives in one engine block allocated with the unit, so rendering never allocates.
class PulvanAudioUnit final : public AudioUnit, public AppPlayAudioUnit {
public:
    static constexpr ComponentDescription kComponentDescription{fourCharCode("aumi"), fourCharCode("kezs"), fourCharCode("kezm"), 0, 0};
    static constexpr const char* kComponentName = "Kez: Pulvan";

    // Null, with the reason in `error`, when the unit cannot be built.
    static std::unique_ptr<PulvanAudioUnit> create(const ComponentDescription& description, std::uint32_t options, std::string& error);
    ~PulvanAudioUnit() override;

    static std::int64_t engineCoreFlag() { return 1; }

    AudioUnitBusArray* inputBusses() override { return inputBusArray_.get(); }
    AudioUnitBusArray* outputBusses() override { return outputBusArray_.get(); }
    void setInputBusArray(std::unique_ptr<AudioUnitBusArray> busses) { inputBusArray_ = std::move(busses); }
    void setOutputBusArray(std::unique_ptr<AudioUnitBusArray> busses) { outputBusArray_ = std::move(busses); }
    AudioUnitBus& outputBus() { return outputBus_; }
    std::vector<std::string> midiOutputNames() const override { return {"midiOut"}; }

    bool allocateRenderResources(std::string* error) override;
    RenderBlock internalRenderBlock() override;

    void configureAppPlay(const AppPlayArguments& arguments) override;
    void scheduleAppPlaySceneLaunch(const AppPlayArguments& arguments, double targetBeat) override;
    void scheduleAppPlayPatternLaunch(const AppPlayArguments& arguments, double targetBeat, std::int64_t trackIndex) override;
    void cancelScheduledAppPlayPatternLaunch() override;
    void setAppPlayEnabled(bool enabled) override;
    void setAppPlayMIDIOutOffsetsMs(std::span<const std::int32_t> offsets) override;
    void requestAppPlayNotesOff() override;
    void requestAppPlayNotesOffForTracks(std::span<const std::int32_t> tracks) override;
    void setAppPlayResyncArmed(bool armed) override;
    bool isAppPlayResyncArmed() const override;

    double currentAppPlayMeasureProgress() const override;
    double currentAppPlayBeatPosition() const override;
    std::int64_t currentAppPlayGlobalStepForTrack(std::int64_t track) const override;
    std::uint64_t currentAppPlayActiveNotesLowForTrack(std::int64_t track) const override;
    std::uint64_t currentAppPlayActiveNotesHighForTrack(std::int64_t track) const override;
    bool isAppPlayTransportMoving() const override;

    void setAppPlayMIDIRecordArmStart(bool arm) override;
    void setAppPlayMIDIRecordArmStop(bool arm) override;
    std::int64_t currentAppPlayMIDIRecordState() const override;
    std::int64_t currentAppPlayMIDIRecordBarCount() const override;
    std::optional<std::vector<std::uint8_t>> consumeAppPlayMIDIRecordData() override;

    void sendImmediateMIDI(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override;
    void drainIncomingMIDIMessages() override;
    void setIncomingMIDIMessageHandler(IncomingMIDIMessageHandler handler) override { incomingMIDIMessageHandler_ = std::move(handler); }

private:
    struct MainThreadScratch;

    explicit PulvanAudioUnit(const ComponentDescription& description);
    void publishLaunch(bool scene, const AppPlayArguments& arguments, double targetBeat, std::uint32_t keepMask);
    void storeSampleRateFromBus();

    std::unique_ptr<AppPlayEngine> engine_;
    std::unique_ptr<MainThreadScratch> scratch_;
    AudioUnitBus outputBus_;
    std::unique_ptr<AudioUnitBusArray> outputBusArray_;
    std::unique_ptr<AudioUnitBusArray> inputBusArray_;
    IncomingMIDIMessageHandler incomingMIDIMessageHandler_;
};

}  // namespace pulvan::au
