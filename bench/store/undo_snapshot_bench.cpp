// What an edit costs the undo history on the largest preset: six tracks of eight
// patterns, every lane 64 steps long with varied values and chords on every NOTES step.
#include "editor/model/preset.h"
#include "editor/store/sequencer_store.h"
#include "editor/store/undo_history.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/pasteboard.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using pulvan::model::LaneKind;
using pulvan::model::Preset;

Preset fullPreset() {
    Preset preset = pulvan::model::defaultPreset();
    while (preset.tracks.size() < 6) {
        preset.tracks.push_back(preset.tracks[0]);
        preset.tracks.back().id = pulvan::foundation::Uuid::random();
    }
    int seed = 1;
    for (auto& track : preset.tracks) {
        for (auto& pattern : track.patterns) {
            for (LaneKind kind : pulvan::model::allLaneKinds) {
                auto& lane = pattern.lane(kind);
                lane.lastStep = 64;
                for (int step = 0; step < 64; ++step) {
                    seed = seed * 1103515245 + 12345;
                    lane.steps[static_cast<std::size_t>(step)] = (seed >> 16) & 0x7F;
                    if (kind == LaneKind::notes) lane.setChord({step % 12, (step + 4) % 12, (step + 7) % 12}, step);
                }
            }
        }
    }
    return preset;
}

void editStep(Preset& preset, int edit) {
    auto& lane = preset.tracks[static_cast<std::size_t>(edit % 6)].patterns[static_cast<std::size_t>(edit % 8)].lane(LaneKind::velocity);
    lane.steps[static_cast<std::size_t>(edit % 64)] = (lane.steps[static_cast<std::size_t>(edit % 64)] + 1) % 128;
}

std::size_t heapInUse() { return mallinfo2().uordblks; }

// A store whose user defaults and preset library point at an empty temp folder.
struct BenchStore {
    BenchStore() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pulvan-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        setenv("XDG_DATA_HOME", folder.c_str(), 1);
        store = std::make_unique<pulvan::store::SequencerStore>(
            pulvan::store::StoreServices{main.queue(), pasteboard, pulvan::foundation::UserDefaults(folder / "defaults.json"), {}}, fullPreset());
    }
    ~BenchStore() {
        store.reset();
        std::filesystem::remove_all(folder);
    }
    std::filesystem::path folder;
    pulvan::foundation::ManualMainQueue main;
    pulvan::foundation::MemoryPasteboard pasteboard;
    std::unique_ptr<pulvan::store::SequencerStore> store;
};

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
