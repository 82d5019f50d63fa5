#include "audiounit/pulvan_audio_unit.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace pulvan::au {
namespace {

constexpr double kSampleRate = 48000.0;
constexpr std::uint32_t kFrames = 256;
constexpr double kBlockQN = kFrames * 2.0 / kSampleRate;  // at 120 bpm

// Every step of `tracks` tracks on, at rate 32, with chords of `chordSize` pool notes.
struct Pattern {
    explicit Pattern(int tracks, int chordSize) {
        const std::size_t steps = kTrackSteps;
        resolutions.assign(6, 32);
        gates.assign(steps, 1);
        counts.assign(steps, chordSize);
        values.assign(steps * kMaxChordValues, 0);
        for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::int32_t>(i % kMaxChordValues);
        lengths.assign(steps, 40);
        pool = {48, 51, 55, 58, 60, 63, 67, 70, 72, 75, 79, 82, 84, 87, 91, 94, 96};
        arguments.trackCount = tracks;
        arguments.resolutions = resolutions;
        arguments.gateSteps = gates;
        arguments.noteStepChordCounts = counts;
        arguments.noteStepChordValues = values;
        arguments.lengthSteps = lengths;
        arguments.notePool = pool;
    }
    std::vector<std::int32_t> resolutions, gates, counts, values, lengths, pool;
    AppPlayArguments arguments;
};

// A unit with host blocks that report a moving transport at the beat of each block.
struct BenchHost {
    BenchHost() {
        std::string error;
        unit = PulvanAudioUnit::create(PulvanAudioUnit::kComponentDescription, 0, error);
        unit->outputBus().setFormat({kSampleRate, 2});
        unit->allocateRenderResources(nullptr);
        unit->setMusicalContextBlock([this](double* tempo, double* numerator, std::int64_t* denominator, double* beat, std::int64_t*, double*) {
            if (tempo) *tempo = 120.0;
            if (numerator) *numerator = 4.0;
            if (denominator) *denominator = 4;
            if (beat) *beat = this->beat;
            return true;
        });
        unit->setTransportStateBlock([](TransportStateFlags* flags, double*, double*, double*) {
            if (flags) *flags = kHostTransportStateMoving;
            return true;
        });
        unit->setMIDIOutputEventBlock([this](std::int64_t, std::uint8_t, std::int64_t, const std::uint8_t*) {
            ++sent;
            return 0;
        });
        unit->setAppPlayEnabled(true);
        render = unit->internalRenderBlock();
    }
    void renderNext() {
        AudioTimeStamp timestamp{static_cast<double>(sampleTime), 0, kAudioTimeStampSampleTimeValid};
        render(nullptr, timestamp, kFrames, 0, nullptr, nullptr, nullptr);
        sampleTime += kFrames;
        beat += kBlockQN;
    }
    std::unique_ptr<PulvanAudioUnit> unit;
    RenderBlock render;
    double beat = 0.0;
    std::int64_t sampleTime = 0;
    std::int64_t sent = 0;
};

void runSteady(benchmark::State& state, int tracks, int chordSize) {
    Pattern pattern(tracks, chordSize);
    BenchHost host;
    host.unit->configureAppPlay(pattern.arguments);
    host.renderNext();
    for (auto _ : state) host.renderNext();
    state.counters["events/block"] = benchmark::Counter(static_cast<double>(host.sent) / static_cast<double>(state.iterations() + 1));
}

void BM_RenderBlockSteady(benchmark::State& state) { runSteady(state, 1, 1); }
void BM_RenderBlockDense(benchmark::State& state) { runSteady(state, 6, 17); }

// Every block takes a new scene launch for the next beat, so each one rebuilds the timeline.
void BM_RenderBlockWithLaunch(benchmark::State& state) {
    Pattern pattern(6, 3);
    BenchHost host;
    host.unit->configureAppPlay(pattern.arguments);
    host.renderNext();
    for (auto _ : state) {
        state.PauseTiming();
        host.unit->scheduleAppPlaySceneLaunch(pattern.arguments, static_cast<double>(static_cast<std::int64_t>(host.beat) + 1));
        state.ResumeTiming();
        host.renderNext();
    }
}

BENCHMARK(BM_RenderBlockSteady);
BENCHMARK(BM_RenderBlockDense);
BENCHMARK(BM_RenderBlockWithLaunch);

}  // namespace
}  // namespace pulvan::au
