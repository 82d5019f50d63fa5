#include "vst3/pulvan_processor.h"

#include "editor/link/editor_thread.h"
#include "engine/block_processing.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "vst3/class_ids.h"
#include "vst3/host_time.h"
#include "vst3/midi_input_mapping.h"
#include "vst3/processor_state.h"

#include <cmath>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace kez {
namespace {

constexpr uint32 kPlayingFlags = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid;

struct BlockTiming {
    bool playing = false;
    double tempo = 0.0;
    double position = 0.0;
    double barLength = 4.0;
};

// A host's context counts only when its numbers can be played: a NaN or
// infinite tempo or position takes the stopped path instead of reaching the engine.
BlockTiming timingOf(const ProcessContext* context) {
    BlockTiming timing;
    if (!context || (context->state & kPlayingFlags) != kPlayingFlags) return timing;
    if (!(context->tempo > 0.0) || !std::isfinite(context->tempo) || !std::isfinite(context->projectTimeMusic)) return timing;
    timing.playing = true;
    timing.tempo = context->tempo;
    timing.position = context->projectTimeMusic;
    if ((context->state & ProcessContext::kTimeSigValid) && context->timeSigDenominator >= 1)
        timing.barLength = pulvan::engine::barLengthQN(context->timeSigNumerator, context->timeSigDenominator);
    return timing;
}

}  // namespace

PulvanProcessor::PulvanProcessor() { setControllerClass(kControllerClassId); }

PulvanProcessor::~PulvanProcessor() = default;

tresult PLUGIN_API PulvanProcessor::initialize(FUnknown* context) {
    const tresult result = AudioEffect::initialize(context);
    if (result != kResultOk) return result;
    addAudioOutput(STR16("Silent Out"), SpeakerArr::kStereo);
    addEventInput(STR16("MIDI In"), 16);
    addEventOutput(STR16("MIDI Out"), 1);

    // Inside a host that wraps us as an Audio Unit the mirror would duplicate
    // what the wrapper already publishes.
    IVst3ToAUWrapper* wrapper = nullptr;
    if (context && context->queryInterface(IVst3ToAUWrapper::iid, reinterpret_cast<void**>(&wrapper)) == kResultOk && wrapper) {
        wrapper->release();
    } else {
        virtualSource_.emplace();
    }
    return kResultOk;
}

tresult PLUGIN_API PulvanProcessor::terminate() {
    // A host that ends the plug-in from its own exit handlers: the editor side has ended already, and
    // the interface identifiers a message needs may be destroyed.
    IMessage* message = pulvan::link::EditorThread::processIsExiting() ? nullptr : allocateMessage();
    if (message) {
        message->setMessageID("KezEngineGone");
        sendMessage(message);
        message->release();
    }
    virtualSource_.reset();
    return AudioEffect::terminate();
}

tresult PLUGIN_API PulvanProcessor::connect(IConnectionPoint* other) {
    const tresult result = AudioEffect::connect(other);
    if (result != kResultOk) return result;
    IMessage* message = allocateMessage();
    if (!message) return kResultOk;
    message->setMessageID("KezEngineHooks");
    if (IAttributeList* attributes = message->getAttributes())
        attributes->setInt("enginePtr", static_cast<int64>(reinterpret_cast<std::intptr_t>(&engine_)));
    sendMessage(message);
    message->release();
    return kResultOk;
}

tresult PLUGIN_API PulvanProcessor::setActive(TBool state) {
    if (state) {
        // Notes still sounding when the host deactivated us get their note-offs in
        // the first block, before the engine starts afresh: dropping the voices
        // here would leave them hanging on every receiver.
        engine_.allNotesOffRequested.store(1, std::memory_order_release);
        engine_.resetRequested.store(1, std::memory_order_release);
        engine_.wasPlaying = 0;
    }
    return AudioEffect::setActive(state);
}

tresult PLUGIN_API PulvanProcessor::canProcessSampleSize(int32 symbolicSampleSize) {
    return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API PulvanProcessor::getState(IBStream* state) {
    if (!state) return kResultFalse;
    const std::vector<std::uint8_t> bytes = captureEngineState(engine_);
    return state->write(const_cast<std::uint8_t*>(bytes.data()), static_cast<int32>(bytes.size()), nullptr);
}

tresult PLUGIN_API PulvanProcessor::setState(IBStream* state) {
    if (!state) return kResultFalse;
    constexpr int32 kChunk = 4096;
    std::vector<std::uint8_t> bytes;
    for (;;) {
        const std::size_t at = bytes.size();
        bytes.resize(at + kChunk);
        int32 got = 0;
        const tresult result = state->read(bytes.data() + at, kChunk, &got);
        if (result != kResultOk || got <= 0) {
            bytes.resize(at);
            break;
        }
        bytes.resize(at + static_cast<std::size_t>(std::min(got, kChunk)));
        if (got < kChunk) break;
    }
    if (bytes.empty()) return kResultOk;
    // A damaged stream is refused, so that the host can tell the user instead
    // of believing the project was restored.
    return restoreEngineState(engine_, bytes) ? kResultOk : kResultFalse;
}

void PulvanProcessor::silenceFirstOutput(ProcessData& data) {
    if (data.numOutputs < 1 || data.numSamples < 1 || !data.outputs) return;
    AudioBusBuffers& bus = data.outputs[0];
    const bool doubles = data.symbolicSampleSize == kSample64;
    const std::size_t bytes = static_cast<std::size_t>(data.numSamples) * (doubles ? sizeof(double) : sizeof(float));
    for (int32 channel = 0; channel < bus.numChannels; ++channel) {
        void* buffer = doubles ? static_cast<void*>(bus.channelBuffers64 ? bus.channelBuffers64[channel] : nullptr)
                               : static_cast<void*>(bus.channelBuffers32 ? bus.channelBuffers32[channel] : nullptr);
        if (buffer) std::memset(buffer, 0, bytes);
    }
    bus.silenceFlags = bus.numChannels > 63 ? ~uint64{0} : (uint64{1} << bus.numChannels) - 1;
}

void PulvanProcessor::pushUnlessEcho(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, std::uint32_t tag) {
    if (echoTable_.consumeEcho(tag, sampleCounter_)) return;
    engine_.incomingMIDI.push(status, data1, data2);  // a full ring drops the message
}

void PulvanProcessor::takeInputEvents(IEventList* events) {
    if (!events) return;
    const int32 count = events->getEventCount();
    for (int32 index = 0; index < count; ++index) {
        Event event{};
        if (events->getEvent(index, event) != kResultOk) continue;
        if (const auto message = mapInputEvent(event)) pushUnlessEcho(message->status, message->data1, message->data2, message->echoTag);
    }
}

void PulvanProcessor::takeParameterChanges(IParameterChanges* changes) {
    if (!changes) return;
    const int32 queues = changes->getParameterCount();
    for (int32 q = 0; q < queues; ++q) {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (!queue) continue;
        const ParamID id = queue->getParameterId();
        const int32 points = queue->getPointCount();
        for (int32 p = 0; p < points; ++p) {
            int32 offset = 0;
            ParamValue value = 0.0;
            if (queue->getPoint(p, offset, value) != kResultOk) continue;
            if (const auto message = mapParameterPoint(id, value))
                pushUnlessEcho(message->status, message->data1, message->data2, message->echoTag);
        }
    }
}

tresult PLUGIN_API PulvanProcessor::process(ProcessData& data) {
    silenceFirstOutput(data);
    if (data.numSamples >= 1) sampleCounter_ += data.numSamples;
    takeInputEvents(data.inputEvents);
    takeParameterChanges(data.inputParameterChanges);
    pulvan::engine::beginBlock(engine_);

    const ProcessContext* context = data.processContext;
    const std::uint64_t hostTimeNs =
        blockHostTimeNs(context && (context->state & ProcessContext::kSystemTimeValid), context ? context->systemTime : 0);

    const BlockTiming timing = timingOf(context);
    if (!timing.playing) {
        pulvan::engine::renderStopped(engine_);
        writeOutputEvents(data.outputEvents, data.numSamples, hostTimeNs, 0.0, 0.0);
        return kResultOk;
    }
    const double sampleRate = processSetup_.sampleRate;
    const double blockLength =
        sampleRate > 0.0 && data.numSamples >= 1 ? pulvan::engine::blockLengthQN(timing.tempo, data.numSamples, sampleRate) : 0.0;
    pulvan::engine::renderPlaying(engine_, timing.tempo, timing.position, blockLength, sampleRate, timing.barLength);
    writeOutputEvents(data.outputEvents, data.numSamples, hostTimeNs, timing.position, timing.tempo);
    return kResultOk;
}

void PulvanProcessor::writeOutputEvents(IEventList* outputEvents, std::int32_t numSamples, std::uint64_t hostTimeNs, double blockStartQn,
                                        double tempo) {
    pulvan::engine::EngineEventBuffer& buffer = engine_.events;
    if (!outputEvents && !virtualSourceOpen()) {
        buffer.clear();
        return;
    }
    const double sampleRate = processSetup_.sampleRate;
    const std::int64_t expiresAt = sampleCounter_ + EchoTable::lifetimeSamples(sampleRate);
    for (std::int32_t i = 0; i < buffer.count; ++i) {
        const pulvan::engine::EngineEvent& event = buffer.events[i];
        const std::int32_t offset = pulvan::engine::eventSampleOffset(event.time, blockStartQn, tempo, sampleRate, numSamples);
        const std::uint8_t data1 = event.data1 & 0x7F;
        const std::uint8_t data2 = event.data2 & 0x7F;
        const std::uint8_t channel = event.channel & 0x0F;

        EchoKind kind = EchoKind::controlChange;
        std::uint8_t status = 0xB0;
        if (event.kind == pulvan::engine::kEventNoteOn) {
            kind = EchoKind::noteOn;
            status = 0x90;
        } else if (event.kind == pulvan::engine::kEventNoteOff) {
            kind = EchoKind::noteOff;
            status = 0x80;
        }
        echoTable_.record(echoTag(kind, data1, data2), expiresAt);

        const pulvan::midi::Timestamp stamp =
            hostTimeNs != 0 && sampleRate > 0.0 ? hostTimeNs + secondsToNanoseconds(offset / sampleRate) : pulvan::midi::kSendNow;
        if (virtualSourceOpen()) {
            const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(status | channel), data1, data2};
            virtualSource_->send(bytes, 3, stamp);
        }

        if (!outputEvents) continue;
        Event out{};
        out.busIndex = 0;
        out.sampleOffset = offset;
        if (kind == EchoKind::noteOn) {
            out.type = Event::kNoteOnEvent;
            out.noteOn = {static_cast<int16>(channel), static_cast<int16>(data1), 0.f, data2 / 127.f, 0, -1};
        } else if (kind == EchoKind::noteOff) {
            out.type = Event::kNoteOffEvent;
            out.noteOff = {static_cast<int16>(channel), static_cast<int16>(data1), data2 / 127.f, -1, 0.f};
        } else {
            out.type = Event::kLegacyMIDICCOutEvent;
            out.midiCCOut = {data1, static_cast<int8>(channel), static_cast<int8>(data2), 0};
        }
        outputEvents->addEvent(out);
    }
    buffer.clear();
}

}  // namespace kez
