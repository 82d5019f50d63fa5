#include "tests/support/audio_unit_driver.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace pulvan::au::test {
namespace {

// Every step of `tracks` tracks on, at rate 32, with chords of `chordSize` pool notes.
ConfigBuilder everyStep(int tracks, int chordSize) {
    ConfigBuilder config;
    config.trackCount(tracks).pool({48, 51, 55, 58, 60, 63, 67, 70, 72, 75, 79, 82, 84, 87, 91, 94, 96});
    for (int t = 0; t < tracks; ++t) {
        config.laneLengths(t, 64).perTrack(layout::kResolutions, t, 32).allSteps(layout::kGateSteps, t, 1);
        config.allSteps(layout::kLengthSteps, t, 40).allSteps(layout::kNoteStepChordCounts, t, chordSize);
        for (int s = 0; s < 64; ++s) {
            for (int k = 0; k < chordSize; ++k) config.words()[layout::chordValueWord(t, s, k)] = k;
        }
    }
    return config;
}

// 256-frame blocks at 48 kHz and 120 bpm; with `launchEveryBlock`, each block takes a new scene
// launch for the next beat, so each one rebuilds the timeline.
void renderBlocks(benchmark::State& state, const ConfigBuilder& config, bool launchEveryBlock) {
    AudioUnitDriver driver(48000.0, 256);
    driver.configure(config);
    const AppPlayArguments launch = argumentsFrom(config);
    double beat = 0.0;
    for (; beat < 4.0; beat += driver.blockQN()) driver.render(beat);
    state.counters["events/block"] = static_cast<double>(driver.take().size()) * driver.blockQN() / beat;
    for (auto _ : state) {
        if (launchEveryBlock) {
            state.PauseTiming();
            driver.unit().scheduleAppPlaySceneLaunch(launch, std::floor(beat) + 1.0);
            state.ResumeTiming();
        }
        driver.render(beat);  // what the unit sends fills the driver's storage, then is dropped
        beat += driver.blockQN();
    }
}

void BM_RenderBlockSteady(benchmark::State& state) { renderBlocks(state, everyStep(1, 1), false); }
void BM_RenderBlockDense(benchmark::State& state) { renderBlocks(state, everyStep(6, 17), false); }
void BM_RenderBlockWithLaunch(benchmark::State& state) { renderBlocks(state, everyStep(6, 3), true); }

BENCHMARK(BM_RenderBlockSteady);
BENCHMARK(BM_RenderBlockDense);
BENCHMARK(BM_RenderBlockWithLaunch);

}  // namespace
}  // namespace pulvan::au::test
