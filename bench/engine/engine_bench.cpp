// Cost of one audio block of the engine, as nanoseconds per block and as the share of the
// block's real-time budget at 48 kHz ("budget_%": average, "worst_budget_%": slowest block).
// Blocks are timed with the thread's CPU clock so that preemption by other processes does not
// pass for a slow block; "p999_budget_%" is the 99.9th percentile block, which still holds
// every block that plays steps on all six tracks but not the odd interrupt that "worst" shows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <numeric>
#include <vector>

#include "engine/block_processing.h"
#include "engine/config_buffer.h"
#include "engine/editor_requests.h"
#include "engine/launch_control.h"
#include "tests/engine/engine_harness.h"

namespace {
using namespace pulvan::engine;
using test::ConfigBuilder;
namespace layout = config_layout;

constexpr double kSampleRate = 48000.0;
constexpr int kWarmUpBlocks = 3000;

// Six tracks, every gate on, 17-note chords, legato with portamento, smart random on every
// 64-step lane, full swing: the most a configuration can ask of a block.
std::unique_ptr<ConfigBuilder> denseBuffer(int variant) {
    auto config = std::make_unique<ConfigBuilder>();
    config->trackCount(6).swing(75).pool({40, 43, 46, 49, 52, 55, 58, 61, 64, 67, 70, 73});
    for (int i = 0; i < 12; ++i) config->words()[layout::kNotePool + i] += variant;
    for (int t = 0; t < kTrackCount; ++t) {
        config->laneLengths(t, 64).perTrack(layout::kDirections, t, 5).perTrack(layout::kChannels, t, t + 1);
        config->perTrack(layout::kPortamentoCCs, t, 65).perTrack(layout::kFillModes, t, 2);
        config->allSteps(layout::kGateSteps, t, 1).allSteps(layout::kTieSteps, t, 2).allSteps(layout::kLengthSteps, t, 80);
        for (int s = 0; s < kStepsPerLane; ++s) {
            config->perStep(layout::kCcASteps, t, s, 1 + (s * 7 + variant) % 128);
            std::vector<int> chord;
            for (int k = 0; k < kMaxChordValues; ++k) chord.push_back((s + k * 5) % 30);
            config->chord(t, s, chord);
        }
    }
    return config;
}

struct BlockSetup {
    std::unique_ptr<SequencerEngine> engine = std::make_unique<SequencerEngine>();
    double tempo;
    double blockQN;
    double budgetSeconds;
    double position = 0.0;

    BlockSetup(double bpm, int samples)
        : tempo(bpm), blockQN(blockLengthQN(bpm, samples, kSampleRate)), budgetSeconds(samples / kSampleRate) {}

    void render() {
        beginBlock(*engine);
        renderPlaying(*engine, tempo, position, blockQN, kSampleRate, 4.0);
        engine->events.clear();
        position += blockQN;
    }
};

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Times every block; `between` runs untimed before each one.
template <typename Between>
void runBlocks(benchmark::State& state, BlockSetup& setup, Between between) {
    // One whole 64-step cycle first, so first-touch page faults do not count as a slow block.
    for (int i = 0; i < kWarmUpBlocks; ++i) {
        between(setup);
        setup.render();
    }
    std::vector<double> spent;
    spent.reserve(1 << 22);
    for (auto _ : state) {
        state.PauseTiming();
        between(setup);
        state.ResumeTiming();
        const double start = threadSeconds();
        setup.render();
        spent.push_back(threadSeconds() - start);
    }
    if (spent.empty()) return;
    const double total = std::accumulate(spent.begin(), spent.end(), 0.0);
    const auto p999 = spent.begin() + static_cast<std::ptrdiff_t>(spent.size() * 999 / 1000);
    std::nth_element(spent.begin(), p999, spent.end());
    const double percent = 100.0 / setup.budgetSeconds;
    state.counters["budget_%"] = total / static_cast<double>(spent.size()) * percent;
    state.counters["p999_budget_%"] = *p999 * percent;
    state.counters["worst_budget_%"] = *std::max_element(spent.begin(), spent.end()) * percent;
}

void BM_DemoBlock(benchmark::State& state) {
    BlockSetup setup(120.0, static_cast<int>(state.range(0)));
    runBlocks(state, setup, [](BlockSetup&) {});
}

void BM_DenseBlock(benchmark::State& state) {
    BlockSetup setup(300.0, static_cast<int>(state.range(0)));
    const auto words = denseBuffer(0);
    applyConfigBuffer(*setup.engine, words->data(), words->size());
    const std::int32_t offsets[] = {-200, -60, 0, 45, 120, 200};
    setTrackMIDIOutOffsetsMs(*setup.engine, offsets, 6);
    runBlocks(state, setup, [](BlockSetup&) {});
}

void BM_BlockApplyingConfiguration(benchmark::State& state) {
    BlockSetup setup(300.0, static_cast<int>(state.range(0)));
    const auto a = denseBuffer(0), b = denseBuffer(1);
    int n = 0;
    runBlocks(state, setup, [&](BlockSetup& s) {
        applyConfigBuffer(*s.engine, (n++ % 2 ? a : b)->data(), a->size());
    });
}

void BM_BlockCommittingLaunch(benchmark::State& state) {
    BlockSetup setup(300.0, static_cast<int>(state.range(0)));
    const auto a = denseBuffer(0), b = denseBuffer(1);
    applyConfigBuffer(*setup.engine, a->data(), a->size());
    int n = 0;
    // Launched at the block's own start: the block takes it, commits it and plays it.
    runBlocks(state, setup, [&](BlockSetup& s) {
        scheduleSceneLaunch(*s.engine, (n++ % 2 ? a : b)->data(), a->size(), s.position - 1e-3);
    });
}

void BM_ApplyConfigBuffer(benchmark::State& state) {
    SequencerEngine* engine = new SequencerEngine;
    const auto words = denseBuffer(0);
    for (auto _ : state) applyConfigBuffer(*engine, words->data(), words->size());
    delete engine;
}

void blockSizes(benchmark::internal::Benchmark* b) { b->Arg(64)->Arg(512)->Arg(2048); }

BENCHMARK(BM_DemoBlock)->Apply(blockSizes);
BENCHMARK(BM_DenseBlock)->Apply(blockSizes);
BENCHMARK(BM_BlockApplyingConfiguration)->Apply(blockSizes);
BENCHMARK(BM_BlockCommittingLaunch)->Apply(blockSizes);
BENCHMARK(BM_ApplyConfigBuffer);

}  // namespace
