// One edit on the largest preset, from the store's command to the snapshot the
// engine publishes for its audio thread, with the preset blob encoded and handed
// to the engine on the way: what a tap on a step costs the editor thread.
#include "bench/store/bench_store.h"
#include "editor/link/editor_bridge.h"
#include "editor/link/live_engines.h"
#include "editor/link/track_configs.h"
#include "engine/engine_hooks.h"
#include "engine/sequencer_engine.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/pasteboard.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using pulvan::model::LaneKind;

// Preferences and presets go to a folder of their own, not the user's.
void useTemporaryHome() {
    static const std::filesystem::path home = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "pulvan-bench-XXXXXX").string();
        std::filesystem::path path = mkdtemp(pattern.data());
        setenv("XDG_DATA_HOME", (path / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (path / "config").c_str(), 1);
        return path;
    }();
}

struct Setting {
    Setting() {
        useTemporaryHome();
        bridge = std::make_unique<pulvan::link::EditorBridge>(
            KezVst3EngineMakeHooks(engine.get()),
            pulvan::store::StoreServices{main.queue(), pasteboard, pulvan::foundation::UserDefaults::standard(), {}});
        bridge->link().applyPreset(pulvan::bench::fullPreset());
    }
    std::unique_ptr<pulvan::engine::SequencerEngine> engine = std::make_unique<pulvan::engine::SequencerEngine>();
    pulvan::link::LiveEngineRegistration registration{engine.get()};
    pulvan::foundation::ManualMainQueue main;
    pulvan::foundation::MemoryPasteboard pasteboard;
    std::unique_ptr<pulvan::link::EditorBridge> bridge;
};

void BM_StepEditToPublishedSnapshot(benchmark::State& state) {
    Setting setting;
    auto& store = setting.bridge->store();
    int value = 0;
    for (auto _ : state) {
        store.beginTransaction("Paint gate");
        store.preset.modify([&](pulvan::model::Preset& p) { p.tracks[2].patterns[0].lane(LaneKind::gate).steps[5] = value ^= 1; });
        store.endTransaction();
    }
    benchmark::DoNotOptimize(setting.engine->publishedSnapshots.generation.load());
}
BENCHMARK(BM_StepEditToPublishedSnapshot)->Unit(benchmark::kMicrosecond);

// The parts on their own: the configuration built and flattened, then the preset encoded.
void BM_BuildPayload(benchmark::State& state) {
    Setting setting;
    for (auto _ : state) {
        auto payload =
            pulvan::link::buildHostedAppPlayPayload(pulvan::link::buildAppPlayTrackConfigs(setting.bridge->store(), std::nullopt, {}));
        benchmark::DoNotOptimize(payload);
    }
}
BENCHMARK(BM_BuildPayload)->Unit(benchmark::kMicrosecond);

void BM_EncodePresetBlob(benchmark::State& state) {
    Setting setting;
    for (auto _ : state) benchmark::DoNotOptimize(setting.bridge->link().encodedPresetData());
}
BENCHMARK(BM_EncodePresetBlob)->Unit(benchmark::kMicrosecond);

}  // namespace
