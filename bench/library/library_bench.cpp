// The preset library on a folder of 100 real presets: listing it as the preset dialog does,
// and loading each preset (finding its file, reading and parsing it).
#include "editor/library/preset_files.h"
#include "editor/library/preset_listing.h"
#include "editor/model/preset_json.h"
#include "editor/model/preset_parser.h"
#include "platform/foundation/atomic_file.h"
#include "tests/editor/model/model_fixtures.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int kPresets = 100;
constexpr std::string_view kFolder = "Bench";

// A library of its own under a temporary data home: 100 presets in one user folder, every
// tenth the largest the editor writes, the others with one to five tracks.
void makeLibrary() {
    static const bool made = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "pulvan-library-bench-XXXXXX").string();
        const std::filesystem::path home = mkdtemp(pattern.data());
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        const pulvan::model::Preset full = pulvan::model::test::fullPreset();
        for (int i = 0; i < kPresets; ++i) {
            pulvan::model::Preset preset = full;
            if (i % 10 != 0) preset.tracks.resize(static_cast<std::size_t>(1 + i % 5));
            preset.swingPercent = 50 + i % 26;
            pulvan::library::writePresetFile("Preset " + std::to_string(i), kFolder, pulvan::model::encodePreset(preset));
        }
        return true;
    }();
    (void)made;
}

void ListFolderOf100Presets(benchmark::State& state) {
    makeLibrary();
    for (auto _ : state) benchmark::DoNotOptimize(pulvan::library::presetNames(kFolder));
}
BENCHMARK(ListFolderOf100Presets)->Unit(benchmark::kMicrosecond);

void LoadEachOf100Presets(benchmark::State& state) {
    makeLibrary();
    const auto names = pulvan::library::presetNames(kFolder);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& name : names) {
            const auto file = pulvan::library::existingPresetFileURL(name, kFolder);
            auto read = pulvan::foundation::readWholeFile(*file);
            bytes += static_cast<std::int64_t>(read.bytes->size());
            benchmark::DoNotOptimize(pulvan::model::PresetParser::load(*read.bytes));
        }
    }
    state.SetBytesProcessed(bytes);
    state.counters["presets"] = static_cast<double>(names.size());
}
BENCHMARK(LoadEachOf100Presets)->Unit(benchmark::kMillisecond);

}  // namespace
