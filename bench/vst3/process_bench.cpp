// What audio blocks cost the host (timed in batches: a clock read costs more than a light
// block), with and without MIDI coming in, and what saving and restoring a project with the
// largest preset costs its main thread.
#include "bench/batch_timing.h"
#include "editor/model/preset_json.h"
#include "engine/config_buffer.h"
#include "engine/engine_hooks.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "tests/editor/model/model_fixtures.h"
#include "vst3/pulvan_processor.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr double kSampleRate = 48000.0;

// Six tracks of sixteenth notes, every step gated, four-note chords.
pulvan::engine::EngineConfigBuffer denseConfiguration() {
    namespace L = pulvan::engine::config_layout;
    pulvan::engine::EngineConfigBuffer words{};
    words[L::kMagicWord] = L::kMagic;
    words[L::kTrackCount] = 6;
    words[L::kSwingPercent] = 58;
    words[L::kNotePoolCount] = 12;
    for (int i = 0; i < 12; ++i) words[L::kNotePool + i] = 48 + i * 2;
    for (int track = 0; track < 6; ++track) {
        words[L::trackWord(L::kResolutions, track)] = 16;
        words[L::trackWord(L::kChannels, track)] = track + 1;
        words[L::trackWord(L::kFillModes, track)] = 1;
        for (int base : {L::kLastSteps, L::kTieLastSteps, L::kNotesLastSteps, L::kOctaveLastSteps, L::kVelocityLastSteps,
                         L::kLengthLastSteps, L::kProbabilityLastSteps, L::kCcALastSteps, L::kCcBLastSteps})
            words[L::trackWord(base, track)] = 64;
        for (int step = 0; step < 64; ++step) {
            words[L::stepWord(L::kGateSteps, track, step)] = 1;
            words[L::stepWord(L::kVelocitySteps, track, step)] = 100;
            words[L::stepWord(L::kLengthSteps, track, step)] = 80;
            words[L::stepWord(L::kCcASteps, track, step)] = step * 2;
            words[L::stepWord(L::kNoteStepChordCounts, track, step)] = 4;
            for (int k = 0; k < 4; ++k) words[L::chordValueWord(track, step, k)] = (step + k * 3) % 12;
        }
    }
    return words;
}

// Host-side objects that live on the benchmark's stack: no reference counting.
template <typename Interface>
class StackObject : public Interface {
public:
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

class Events final : public StackObject<IEventList> {
public:
    std::vector<Event> list;
    int32 PLUGIN_API getEventCount() override { return static_cast<int32>(list.size()); }
    tresult PLUGIN_API getEvent(int32 index, Event& e) override {
        e = list[static_cast<size_t>(index)];
        return kResultOk;
    }
    tresult PLUGIN_API addEvent(Event& e) override {
        if (list.size() < list.capacity()) list.push_back(e);  // never grows inside the measured loop
        return kResultOk;
    }
};

class Queue final : public StackObject<IParamValueQueue> {
public:
    ParamID id = 0;
    ParamID PLUGIN_API getParameterId() override { return id; }
    int32 PLUGIN_API getPointCount() override { return 4; }
    tresult PLUGIN_API getPoint(int32 index, int32& offset, ParamValue& value) override {
        offset = index * 16;
        value = index / 3.0;
        return kResultOk;
    }
    tresult PLUGIN_API addPoint(int32, ParamValue, int32&) override { return kResultFalse; }
};

class Changes final : public StackObject<IParameterChanges> {
public:
    Queue queues[8];
    Changes() {
        for (int i = 0; i < 8; ++i) queues[i].id = 1000 + 131 * static_cast<ParamID>(i);
    }
    int32 PLUGIN_API getParameterCount() override { return 8; }
    IParamValueQueue* PLUGIN_API getParameterData(int32 index) override { return &queues[index]; }
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID&, int32&) override { return nullptr; }
};

struct Plugin {
    HostApplication host;
    kez::PulvanProcessor* processor = new kez::PulvanProcessor();
    void* engine = nullptr;

    Plugin() {
        processor->initialize(&host);
        ProcessSetup setup{kRealtime, kSample32, 4096, kSampleRate};
        processor->setupProcessing(setup);
        processor->setActive(true);
    }
    ~Plugin() {
        processor->setActive(false);
        processor->terminate();
        processor->release();
    }
};

// The processor's state stream: header, configuration words, preset blob.
std::vector<std::uint8_t> stateStream(Plugin& plugin, const pulvan::engine::EngineConfigBuffer& words, const std::string& blob) {
    std::vector<std::uint8_t> stream;
    MemoryStream empty;
    plugin.processor->getState(&empty);
    const auto* head = reinterpret_cast<const std::uint8_t*>(empty.getData());
    stream.assign(head, head + 32);  // magic, version, offsets
    const auto putWord = [&](std::uint32_t word) {
        for (int shift = 0; shift < 32; shift += 8) stream.push_back(static_cast<std::uint8_t>(word >> shift));
    };
    putWord(static_cast<std::uint32_t>(words.size()));
    for (std::int32_t word : words) putWord(static_cast<std::uint32_t>(word));
    putWord(static_cast<std::uint32_t>(blob.size()));
    stream.insert(stream.end(), blob.begin(), blob.end());
    return stream;
}

void restore(Plugin& plugin, std::vector<std::uint8_t>& stream) {
    MemoryStream in(stream.data(), static_cast<TSize>(stream.size()));
    plugin.processor->setState(&in);
}

// The largest preset the editor writes, as the host's project holds it.
const std::string& fullPresetBlob() {
    static const std::string blob = pulvan::model::encodePreset(pulvan::model::test::fullPreset());
    return blob;
}

constexpr int kBatch = 64;  // blocks per timed batch: a clock read costs more than a light block

// One host block after another: `Setup` prepares the plug-in and the data, the batch is timed.
struct HostBlocks {
    Plugin plugin;
    std::vector<float> left, right;
    float* channels[2];
    AudioBusBuffers out{};
    Events input, output;
    Changes changes;
    ProcessContext context{};
    ProcessData data{};
    std::int64_t block = 0;
    std::int64_t events = 0;

    HostBlocks(int blockSize, bool withMIDIInput) : left(static_cast<size_t>(blockSize)), right(left.size()) {
        channels[0] = left.data();
        channels[1] = right.data();
        out.numChannels = 2;
        out.channelBuffers32 = channels;
        input.list.reserve(16);
        for (int i = 0; i < 16; ++i) {
            Event e{};
            e.type = i % 2 ? Event::kNoteOffEvent : Event::kNoteOnEvent;
            e.noteOn = {0, static_cast<int16>(40 + i), 0.f, 0.7f, 0, -1};
            input.list.push_back(e);
        }
        output.list.reserve(1024);
        context.state =
            ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid | ProcessContext::kTimeSigValid;
        context.tempo = 174.0;
        context.timeSigNumerator = 4;
        context.timeSigDenominator = 4;
        data.numSamples = blockSize;
        data.numOutputs = 1;
        data.outputs = &out;
        data.inputEvents = withMIDIInput ? &input : nullptr;
        data.inputParameterChanges = withMIDIInput ? &changes : nullptr;
        data.outputEvents = &output;
        data.processContext = &context;
    }

    void process() {
        context.projectTimeMusic = static_cast<double>(block++) * data.numSamples * context.tempo / 60.0 / kSampleRate;
        output.list.clear();
        plugin.processor->process(data);
        events += static_cast<std::int64_t>(output.list.size());
    }

    void run(benchmark::State& state) {
        for (int i = 0; i < 3000; ++i) process();  // the echo table full, first touches done
        block = events = 0;
        const pulvan::bench::BatchTiming timing;
        for (auto _ : state)
            for (int i = 0; i < kBatch; ++i) process();
        timing.report(state, static_cast<double>(block), data.numSamples / kSampleRate);
        state.counters["events/block"] = static_cast<double>(events) / static_cast<double>(std::max<std::int64_t>(block, 1));
    }
};

// Playback of six dense tracks, nothing coming in.
void ProcessPlayback(benchmark::State& state) {
    HostBlocks host(static_cast<int>(state.range(0)), false);
    auto stream = stateStream(host.plugin, denseConfiguration(), "");
    restore(host.plugin, stream);
    host.run(state);
}
BENCHMARK(ProcessPlayback)->Arg(64)->Arg(512)->Arg(4096);

// A host sending 16 note events and 32 controller parameter points every block while the
// demo plays: each goes through the echo table before it reaches the editor's ring.
void ProcessMIDIInput(benchmark::State& state) {
    HostBlocks host(static_cast<int>(state.range(0)), true);
    host.run(state);
}
BENCHMARK(ProcessMIDIInput)->Arg(64)->Arg(512)->Arg(4096);

// The same input on top of the dense playback, whose output keeps the echo table full.
void ProcessMIDIInputDensePlayback(benchmark::State& state) {
    HostBlocks host(static_cast<int>(state.range(0)), true);
    auto stream = stateStream(host.plugin, denseConfiguration(), "");
    restore(host.plugin, stream);
    host.run(state);
}
BENCHMARK(ProcessMIDIInputDensePlayback)->Arg(64);

// Saving and restoring a project that holds the largest preset.
void SetStateFullPreset(benchmark::State& state) {
    Plugin plugin;
    std::vector<std::uint8_t> stream = stateStream(plugin, denseConfiguration(), fullPresetBlob());
    for (auto _ : state) restore(plugin, stream);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(SetStateFullPreset);

void GetStateFullPreset(benchmark::State& state) {
    Plugin plugin;
    std::vector<std::uint8_t> stream = stateStream(plugin, denseConfiguration(), fullPresetBlob());
    restore(plugin, stream);
    for (auto _ : state) {
        MemoryStream out;
        benchmark::DoNotOptimize(plugin.processor->getState(&out));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(GetStateFullPreset);

}  // namespace
