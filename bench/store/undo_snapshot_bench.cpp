// What an edit costs the undo history on the largest preset.
#include "bench/store/bench_store.h"
#include "editor/store/undo_history.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

using pulvan::bench::BenchStore;
using pulvan::bench::fullPreset;
using pulvan::model::LaneKind;
using pulvan::model::Preset;

void editStep(Preset& preset, int edit) {
    auto& lane = preset.tracks[static_cast<std::size_t>(edit % 6)].patterns[static_cast<std::size_t>(edit % 8)].lane(LaneKind::velocity);
    lane.steps[static_cast<std::size_t>(edit % 64)] = (lane.steps[static_cast<std::size_t>(edit % 64)] + 1) % 128;
}

std::size_t heapInUse() { return mallinfo2().uordblks; }

// One command: a changed step, closed as the outermost transaction (snapshot and undo push).
void BM_EditClosingTransaction(benchmark::State& state) {
    BenchStore bench;
    auto& store = *bench.store;
    int edit = 0;
    for (auto _ : state) {
        store.beginTransaction("Velocity");
        store.preset.modify([&](Preset& p) { editStep(p, edit++); });
        store.endTransaction();
    }
    benchmark::DoNotOptimize(store.history().count());
}
BENCHMARK(BM_EditClosingTransaction)->Unit(benchmark::kMicrosecond);

// Sixty edits, then undo and redo across the whole history; reports the heap the
// fifty kept snapshots take.
void BM_SixtyEditsWithUndoAndRedo(benchmark::State& state) {
    std::size_t historyBytes = 0;
    for (auto _ : state) {
        BenchStore bench;
        auto& store = *bench.store;
        const std::size_t before = heapInUse();
        for (int edit = 0; edit < 60; ++edit) {
            store.beginTransaction("Velocity");
            store.preset.modify([&](Preset& p) { editStep(p, edit); });
            store.endTransaction();
        }
        historyBytes = heapInUse() - before;
        while (store.canUndo().get()) store.undo();
        while (store.canRedo().get()) store.redo();
        benchmark::DoNotOptimize(store.history().index());
    }
    state.counters["history_MB"] = static_cast<double>(historyBytes) / 1e6;
}
BENCHMARK(BM_SixtyEditsWithUndoAndRedo)->Unit(benchmark::kMillisecond);

// For comparison: what a plain deep copy of the same preset costs, per snapshot and in memory.
void BM_DeepCopyOfTheFullPreset(benchmark::State& state) {
    const Preset preset = fullPreset();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        Preset copy = preset;
        bytes = heapInUse() - before;
        benchmark::DoNotOptimize(copy);
    }
    state.counters["copy_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_DeepCopyOfTheFullPreset)->Unit(benchmark::kMicrosecond);

}  // namespace
