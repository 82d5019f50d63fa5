#include "tests/vst3/plugin_instance.h"

#include "public.sdk/source/common/memorystream.h"
#include "vst3/class_ids.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace kez::test {

PluginInstance::PluginInstance(IPluginFactory* factory, FUnknown* hostContext, EditorSide editorSide) {
    if (!factory) return;
    if (factory->createInstance(kProcessorClassId.toTUID(), IComponent::iid, reinterpret_cast<void**>(&component_)) != kResultOk ||
        factory->createInstance(kControllerClassId.toTUID(), IEditController::iid, reinterpret_cast<void**>(&controller_)) != kResultOk)
        return;
    if (component_->initialize(hostContext) != kResultOk || controller_->initialize(hostContext) != kResultOk) return;
    component_->queryInterface(IAudioProcessor::iid, reinterpret_cast<void**>(&processor_));
    component_->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&componentPoint_));
    controller_->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&controllerPoint_));
    if (!processor_ || !componentPoint_ || !controllerPoint_) return;
    toController_ = new ConnectionProxy(controllerPoint_);
    toController_->forwardsEngineHooks = editorSide == EditorSide::connected;
    toComponent_ = new ConnectionProxy(componentPoint_);
    controllerPoint_->connect(toComponent_);
    componentPoint_->connect(toController_);

    ProcessSetup setup{kRealtime, kSample32, 4096, kSampleRate};
    if (processor_->setupProcessing(setup) != kResultOk) return;
    setActive(true);
    ready_ = true;
}

PluginInstance::~PluginInstance() {
    if (ready_) setActive(false);
    if (component_) component_->terminate();
    if (componentPoint_ && toController_) componentPoint_->disconnect(toController_);
    if (controllerPoint_ && toComponent_) controllerPoint_->disconnect(toComponent_);
    if (controller_) controller_->terminate();
    for (FUnknown* object : std::initializer_list<FUnknown*>{toController_, toComponent_, componentPoint_, controllerPoint_, processor_,
                                                             component_, controller_})
        if (object) object->release();
}

void PluginInstance::setActive(bool active) {
    if (active) {
        component_->setActive(true);
        processor_->setProcessing(true);
    } else {
        processor_->setProcessing(false);
        component_->setActive(false);
    }
}

std::vector<std::uint8_t> PluginInstance::state() const {
    MemoryStream stream;
    if (component_->getState(&stream) != kResultOk) return {};
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.getData());
    return {data, data + stream.getSize()};
}

tresult PluginInstance::restoreState(const std::vector<std::uint8_t>& bytes) {
    MemoryStream stream(const_cast<std::uint8_t*>(bytes.data()), static_cast<TSize>(bytes.size()));
    return component_->setState(&stream);
}

std::vector<NoteEvent> PluginInstance::processBlock(int numSamples, const Transport* transport, std::int64_t firstSample, EventList* input,
                                                    ParamChanges* changes) {
    left_.assign(static_cast<size_t>(std::max(numSamples, 1)), 1.f);
    right_.assign(left_.size(), 1.f);
    float* channels[2] = {left_.data(), right_.data()};
    AudioBusBuffers out{};
    out.numChannels = 2;
    out.channelBuffers32 = channels;

    ProcessContext context{};
    if (transport) {
        context.state = ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid | ProcessContext::kTimeSigValid |
                        (transport->playing ? static_cast<uint32>(ProcessContext::kPlaying) : 0u);
        context.state = (context.state | transport->extraFlags) & ~transport->removeFlags;
        context.tempo = transport->tempo;
        context.projectTimeMusic = transport->positionQn;
        context.timeSigNumerator = transport->numerator;
        context.timeSigDenominator = transport->denominator;
        context.sampleRate = kSampleRate;
    }
    EventList output;
    ProcessData data{};
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.numSamples = numSamples;
    data.numOutputs = 1;
    data.outputs = &out;
    data.inputEvents = input;
    data.outputEvents = &output;
    data.inputParameterChanges = changes;
    data.processContext = transport ? &context : nullptr;
    processor_->process(data);

    std::vector<NoteEvent> events;
    for (const Event& e : output.events) {
        NoteEvent note{firstSample + e.sampleOffset, static_cast<int>(e.type), 0, 0, 0};
        if (e.type == Event::kNoteOnEvent) {
            note = {note.sample, note.type, e.noteOn.channel, e.noteOn.pitch, static_cast<int>(e.noteOn.velocity * 127.f + 0.5f)};
        } else if (e.type == Event::kNoteOffEvent) {
            note = {note.sample, note.type, e.noteOff.channel, e.noteOff.pitch, static_cast<int>(e.noteOff.velocity * 127.f + 0.5f)};
        } else if (e.type == Event::kLegacyMIDICCOutEvent) {
            note = {note.sample, note.type, e.midiCCOut.channel, e.midiCCOut.controlNumber, e.midiCCOut.value};
        }
        events.push_back(note);
    }
    return events;
}

std::vector<NoteEvent> PluginInstance::play(int blocks, int blockSize, Transport transport) {
    std::vector<NoteEvent> all;
    const double qnPerSample = transport.tempo / 60.0 / kSampleRate;
    for (int block = 0; block < blocks; ++block) {
        const std::int64_t first = static_cast<std::int64_t>(block) * blockSize;
        transport.positionQn = static_cast<double>(first) * qnPerSample;
        for (const NoteEvent& e : processBlock(blockSize, &transport, first)) all.push_back(e);
    }
    return all;
}

}  // namespace kez::test
