// What one audio block costs the host, and what saving and restoring a
// project with a large preset costs its main thread.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/config_buffer.h"
#include "engine/engine_hooks.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "vst3/pulvan_processor.h"

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
        for (int base : {L::kLastSteps, L::kTieLastSteps, L::kNotesLastSteps, L::kOctaveLastSteps,
                         L::kVelocityLastSteps, L::kLengthLastSteps, L::kProbabilityLastSteps, L::kCcALastSteps,
                         L::kCcBLastSteps})
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

void ProcessDenseBlock(benchmark::State& state) {
    const int blockSize = static_cast<int>(state.range(0));
    Plugin plugin;
    // The engine's address is what connect() hands to the controller; here
    // the hooks reach it through a state restore carrying the dense configuration.
    const auto words = denseConfiguration();
    std::vector<std::uint8_t> stream;
    {
        MemoryStream empty;
        plugin.processor->getState(&empty);
        const auto* head = reinterpret_cast<const std::uint8_t*>(empty.getData());
        stream.assign(head, head + 32);  // magic, version, offsets
        const std::uint32_t count = static_cast<std::uint32_t>(words.size());
        for (int shift = 0; shift < 32; shift += 8) stream.push_back(static_cast<std::uint8_t>(count >> shift));
        for (std::int32_t word : words)
            for (int shift = 0; shift < 32; shift += 8)
                stream.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(word) >> shift));
        for (int i = 0; i < 4; ++i) stream.push_back(0);
        MemoryStream in(stream.data(), static_cast<TSize>(stream.size()));
        plugin.processor->setState(&in);
    }

    std::vector<float> left(static_cast<size_t>(blockSize)), right(left.size());
    float* channels[] = {left.data(), right.data()};
    AudioBusBuffers out{};
    out.numChannels = 2;
    out.channelBuffers32 = channels;
    Events input;
    input.list.reserve(16);
    for (int i = 0; i < 16; ++i) {
        Event e{};
        e.type = i % 2 ? Event::kNoteOffEvent : Event::kNoteOnEvent;
        e.noteOn = {0, static_cast<int16>(40 + i), 0.f, 0.7f, 0, -1};
        input.list.push_back(e);
    }
    Events output;
    output.list.reserve(1024);
    Changes changes;
    ProcessContext context{};
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid |
                    ProcessContext::kTimeSigValid;
    context.tempo = 174.0;
    context.timeSigNumerator = 4;
    context.timeSigDenominator = 4;
    ProcessData data{};
    data.numSamples = blockSize;
    data.numOutputs = 1;
    data.outputs = &out;
    data.inputEvents = &input;
    data.outputEvents = &output;
    data.inputParameterChanges = &changes;
    data.processContext = &context;

    std::int64_t block = 0;
    std::int64_t events = 0;
    for (auto _ : state) {
        context.projectTimeMusic = static_cast<double>(block++) * blockSize * context.tempo / 60.0 / kSampleRate;
        output.list.clear();
        plugin.processor->process(data);
        events += static_cast<std::int64_t>(output.list.size());
    }
    state.counters["events/block"] = benchmark::Counter(static_cast<double>(events) / static_cast<double>(block));
    state.SetItemsProcessed(block * blockSize);
}
BENCHMARK(ProcessDenseBlock)->Arg(64)->Arg(512)->Arg(4096);

std::vector<std::uint8_t> largeState(Plugin& plugin, std::size_t blobBytes) {
    std::vector<std::uint8_t> stream;
    MemoryStream empty;
    plugin.processor->getState(&empty);
    const auto* head = reinterpret_cast<const std::uint8_t*>(empty.getData());
    stream.assign(head, head + 32);
    stream.insert(stream.end(), {0, 0, 0, 0});
    for (int shift = 0; shift < 32; shift += 8) stream.push_back(static_cast<std::uint8_t>(blobBytes >> shift));
    stream.resize(stream.size() + blobBytes, '{');
    return stream;
}

void SetStateLargeBlob(benchmark::State& state) {
    Plugin plugin;
    std::vector<std::uint8_t> stream = largeState(plugin, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        MemoryStream in(stream.data(), static_cast<TSize>(stream.size()));
        benchmark::DoNotOptimize(plugin.processor->setState(&in));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(SetStateLargeBlob)->Arg(1 << 20)->Arg(8 << 20);

void GetStateLargeBlob(benchmark::State& state) {
    Plugin plugin;
    std::vector<std::uint8_t> stream = largeState(plugin, static_cast<std::size_t>(state.range(0)));
    MemoryStream in(stream.data(), static_cast<TSize>(stream.size()));
    plugin.processor->setState(&in);
    for (auto _ : state) {
        MemoryStream out;
        benchmark::DoNotOptimize(plugin.processor->getState(&out));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(GetStateLargeBlob)->Arg(1 << 20)->Arg(8 << 20);

}  // namespace
