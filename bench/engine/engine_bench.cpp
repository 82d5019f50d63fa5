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

namespace {
using namespace pulvan::engine;
namespace layout = config_layout;

constexpr double kSampleRate = 48000.0;
constexpr int kWarmUpBlocks = 3000;

std::unique_ptr<EngineConfigBuffer> emptyBuffer() {
    auto words = std::make_unique<EngineConfigBuffer>();
    words->fill(0);
    (*words)[layout::kMagicWord] = layout::kMagic;
    return words;
}

// Six tracks, every gate on, 17-note chords, legato with portamento, smart random on every
// 64-step lane, full swing: the most a configuration can ask of a block.
std::unique_ptr<EngineConfigBuffer> denseBuffer(int variant) {
    auto w = emptyBuffer();
    EngineConfigBuffer& words = *w;
    words[layout::kTrackCount] = 6;
    words[layout::kSwingPercent] = 75;
    words[layout::kNotePoolCount] = 12;
    for (int i = 0; i < 12; ++i) words[layout::kNotePool + i] = 40 + i * 3 + variant;
    for (int t = 0; t < kTrackCount; ++t) {
        for (int base : {layout::kLastSteps, layout::kTieLastSteps, layout::kNotesLastSteps, layout::kOctaveLastSteps,
                         layout::kVelocityLastSteps, layout::kLengthLastSteps, layout::kProbabilityLastSteps,
                         layout::kCcALastSteps, layout::kCcBLastSteps})
            words[layout::trackWord(base, t)] = 64;
        words[layout::trackWord(layout::kResolutions, t)] = 16;
        words[layout::trackWord(layout::kDirections, t)] = 5;
        words[layout::trackWord(layout::kChannels, t)] = t + 1;
        words[layout::trackWord(layout::kPortamentoCCs, t)] = 65;
        words[layout::trackWord(layout::kPortamentoOnValues, t)] = 127;
        words[layout::trackWord(layout::kFillModes, t)] = 2;
        for (int s = 0; s < kStepsPerLane; ++s) {
            words[layout::stepWord(layout::kGateSteps, t, s)] = 1;
            words[layout::stepWord(layout::kTieSteps, t, s)] = 2;
            words[layout::stepWord(layout::kVelocitySteps, t, s)] = 100;
            words[layout::stepWord(layout::kLengthSteps, t, s)] = 80;
            words[layout::stepWord(layout::kCcASteps, t, s)] = 1 + (s * 7 + variant) % 128;
            words[layout::stepWord(layout::kNoteStepChordCounts, t, s)] = 17;
            for (int k = 0; k < kMaxChordValues; ++k) words[layout::chordValueWord(t, s, k)] = (s + k * 5) % 30;
        }
    }
    return w;
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
    applyConfigBuffer(*setup.engine, words->data(), kConfigBufferWordCount);
    const std::int32_t offsets[] = {-200, -60, 0, 45, 120, 200};
    setTrackMIDIOutOffsetsMs(*setup.engine, offsets, 6);
    runBlocks(state, setup, [](BlockSetup&) {});
}

void BM_BlockApplyingConfiguration(benchmark::State& state) {
    BlockSetup setup(300.0, static_cast<int>(state.range(0)));
    const auto a = denseBuffer(0), b = denseBuffer(1);
    int n = 0;
    runBlocks(state, setup, [&](BlockSetup& s) {
        applyConfigBuffer(*s.engine, (n++ % 2 ? a : b)->data(), kConfigBufferWordCount);
    });
}

void BM_BlockCommittingLaunch(benchmark::State& state) {
    BlockSetup setup(300.0, static_cast<int>(state.range(0)));
    const auto a = denseBuffer(0), b = denseBuffer(1);
    applyConfigBuffer(*setup.engine, a->data(), kConfigBufferWordCount);
    int n = 0;
    // Launched at the block's own start: the block takes it, commits it and plays it.
    runBlocks(state, setup, [&](BlockSetup& s) {
        scheduleSceneLaunch(*s.engine, (n++ % 2 ? a : b)->data(), kConfigBufferWordCount, s.position - 1e-3);
    });
}

void BM_ApplyConfigBuffer(benchmark::State& state) {
    SequencerEngine* engine = new SequencerEngine;
    const auto words = denseBuffer(0);
    for (auto _ : state) applyConfigBuffer(*engine, words->data(), kConfigBufferWordCount);
    delete engine;
}

void blockSizes(benchmark::internal::Benchmark* b) { b->Arg(64)->Arg(512)->Arg(2048); }

BENCHMARK(BM_DemoBlock)->Apply(blockSizes);
BENCHMARK(BM_DenseBlock)->Apply(blockSizes);
BENCHMARK(BM_BlockApplyingConfiguration)->Apply(blockSizes);
BENCHMARK(BM_BlockCommittingLaunch)->Apply(blockSizes);
BENCHMARK(BM_ApplyConfigBuffer);

}  // namespace
