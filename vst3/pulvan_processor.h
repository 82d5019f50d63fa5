#pragma once
// The plug-in's audio component: owns the sequencer engine for its whole life
// and plays it once per audio block in time with the host.
#include "editor/link/live_engines.h"
#include "engine/sequencer_engine.h"
#include "platform/midi/virtual_source.h"
#include "vst3/audio_effect.h"
#include "vst3/echo_table.h"

#include <cstdint>
#include <optional>

namespace kez {

class PulvanProcessor : public AudioEffect {
public:
    PulvanProcessor();
    ~PulvanProcessor() override;

    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API terminate() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API connect(Steinberg::Vst::IConnectionPoint* other) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) SMTG_OVERRIDE;

private:
    void silenceFirstOutput(Steinberg::Vst::ProcessData& data);
    void takeInputEvents(Steinberg::Vst::IEventList* events);
    void takeParameterChanges(Steinberg::Vst::IParameterChanges* changes);
    bool virtualSourceOpen() const { return virtualSource_ && virtualSource_->isOpen(); }
    void pushUnlessEcho(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, std::uint32_t tag);
    void writeOutputEvents(Steinberg::Vst::IEventList* outputEvents, std::int32_t numSamples, std::uint64_t hostTimeNs, double blockStartQn,
                           double tempo);

    pulvan::engine::SequencerEngine engine_;
    // The engine's address travels to the controller in a message: it counts as
    // an engine only while this lives, and it ends before the engine does.
    pulvan::link::LiveEngineRegistration engineRegistration_{&engine_};
    // This instance's hold on the process-wide virtual source; empty when not held.
    std::optional<pulvan::midi::SharedVirtualSource> virtualSource_;
    EchoTable echoTable_;
    std::int64_t sampleCounter_ = 0;
};

}  // namespace kez
