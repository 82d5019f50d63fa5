#pragma once
// One plug-in instance as a host holds it: processor and controller created
// through the bundle's factory, initialised, connected through proxies and
// made ready to process.
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "tests/vst3/test_host.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kez::test {

inline constexpr double kSampleRate = 48000.0;

struct Transport {
    bool playing = true;
    double tempo = 120.0;
    double positionQn = 0.0;
    int numerator = 4;
    int denominator = 4;
    Steinberg::uint32 extraFlags = 0;
    Steinberg::uint32 removeFlags = 0;
};

// Whether the controller receives the engine and starts the editor side (whose
// store then configures the engine from its preset), or the processor plays alone
// on the engine's own demo configuration.
enum class EditorSide { connected, absent };

class PluginInstance {
public:
    PluginInstance(Steinberg::IPluginFactory* factory, Steinberg::FUnknown* hostContext, EditorSide editorSide = EditorSide::connected);
    ~PluginInstance();

    bool ready() const { return ready_; }
    Steinberg::Vst::IComponent* component() const { return component_; }
    Steinberg::Vst::IAudioProcessor* processor() const { return processor_; }
    Steinberg::Vst::IEditController* controller() const { return controller_; }
    ConnectionProxy* toController() const { return toController_; }

    // Processes one block; events and parameter changes go in, output events come back
    // with their sample offsets made absolute by `firstSample`.
    std::vector<NoteEvent> processBlock(int numSamples, const Transport* transport, std::int64_t firstSample, EventList* input = nullptr,
                                        ParamChanges* changes = nullptr);

    // Plays `blocks` blocks from position 0 at the transport's tempo.
    std::vector<NoteEvent> play(int blocks, int blockSize, Transport transport = {});

    void setActive(bool active);

    // The processor's state as the host saves it with the project (empty when
    // it cannot be had), and the host restoring one.
    std::vector<std::uint8_t> state() const;
    Steinberg::tresult restoreState(const std::vector<std::uint8_t>& bytes);

private:
    Steinberg::Vst::IComponent* component_ = nullptr;
    Steinberg::Vst::IAudioProcessor* processor_ = nullptr;
    Steinberg::Vst::IEditController* controller_ = nullptr;
    Steinberg::Vst::IConnectionPoint* componentPoint_ = nullptr;
    Steinberg::Vst::IConnectionPoint* controllerPoint_ = nullptr;
    ConnectionProxy* toController_ = nullptr;
    ConnectionProxy* toComponent_ = nullptr;
    std::vector<float> left_, right_;
    bool ready_ = false;
};

}  // namespace kez::test
