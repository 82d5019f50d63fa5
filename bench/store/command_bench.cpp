// What the editing commands cost on the largest preset, each closing its own
// transaction (snapshot, undo push) as the views call them.
#include "bench/store/bench_store.h"

#include <benchmark/benchmark.h>

namespace {

using pulvan::bench::BenchStore;
using pulvan::model::LaneKind;

// One paint gesture across a page of the velocity lane: sixteen writes, one undo entry.
void BM_PaintGestureOverAPage(benchmark::State& state) {
    BenchStore bench;
    auto& store = *bench.store;
    int value = 0;
    for (auto _ : state) {
        store.beginTransaction("Paint velocity");
        for (int column = 0; column < 16; ++column) store.setLaneStepValue(LaneKind::velocity, column, value++ % 128);
        store.endTransaction();
    }
    benchmark::DoNotOptimize(store.history().count());
}
BENCHMARK(BM_PaintGestureOverAPage)->Unit(benchmark::kMicrosecond);

// Doubling and halving every lane of a pattern whose lanes are 32 steps long.
void BM_DoubleThenHalve(benchmark::State& state) {
    BenchStore bench;
    auto& store = *bench.store;
    store.lastStepMode.set(pulvan::store::LastStepMode::all);
    store.setActivePage(1);
    store.setLastStep(LaneKind::gate, 15);
    for (auto _ : state) {
        store.doublePatternLength();
        store.halvePatternLength();
    }
    benchmark::DoNotOptimize(store.history().count());
}
BENCHMARK(BM_DoubleThenHalve)->Unit(benchmark::kMicrosecond);

// One key of the 303 generator while its modal is open: the six lanes rewritten.
void BM_PatternGenerator303Key(benchmark::State& state) {
    BenchStore bench;
    auto& store = *bench.store;
    store.togglePatternGenerator303Modal();
    int key = 0;
    for (auto _ : state) store.setPatternGenerator303Pitch(key++ % 13, true);
    benchmark::DoNotOptimize(store.preset->tracks[0].patterns[0]);
}
BENCHMARK(BM_PatternGenerator303Key)->Unit(benchmark::kMicrosecond);

}  // namespace
