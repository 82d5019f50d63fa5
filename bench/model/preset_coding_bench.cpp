#include "editor/model/preset_json.h"
#include "editor/model/preset_parser.h"
#include "tests/editor/model/model_fixtures.h"

#include <benchmark/benchmark.h>

#include <string>

// Parsing and encoding the largest preset the editor makes: 6 tracks x 8 patterns x 10 lanes x
// 64 steps, every NOTES step a chord. Targets: parsing under 0.6 ms, encoding under 1 ms. The
// Dom runs read the same text through an nlohmann-json document first, as presets were read
// before, for comparison.
namespace {

using namespace pulvan::model;

std::string currentText() { return encodePreset(test::fullPreset()); }

// The same preset as the first format wrote it: no version, camelCase keys, no FIX lanes, so
// that parsing runs every migration pass.
std::string firstFormatText() {
    nlohmann::json document = nlohmann::json::parse(currentText());
    document.erase("version");
    for (const auto& [current, legacy] :
         {std::pair{"swing_percent", "swingPercent"}, std::pair{"current_scene_index", "currentSceneIndex"},
          std::pair{"scene_launch_resolution", "sceneLaunchResolution"}, std::pair{"pattern_launch_resolution", "patternLaunchResolution"},
          std::pair{"resync_on_new_scene", "resyncOnNewScene"}}) {
        document[legacy] = document[current];
        document.erase(current);
    }
    for (auto& track : document["tracks"]) {
        track["accentColorHex"] = track["accent_color"];
        track.erase("accent_color");
        for (auto& pattern : track["patterns"]) {
            auto& lanes = pattern["lanes"];
            nlohmann::json kept = nlohmann::json::array();
            for (std::size_t i = 0; i + 1 < lanes.size(); i += 2) {
                if (lanes[i] == "fix") continue;
                kept.push_back(lanes[i]);
                kept.push_back(lanes[i + 1]);
            }
            lanes = std::move(kept);
        }
    }
    return document.dump();
}

template <typename Parse>
void parse(benchmark::State& state, const std::string& text, Parse parseText) {
    for (auto _ : state) benchmark::DoNotOptimize(parseText(text));
    state.counters["bytes"] = static_cast<double>(text.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

Preset parseThroughDom(const std::string& text) { return parsePresetJson(nlohmann::json::parse(text)); }

void ParseCurrent(benchmark::State& state) { parse(state, currentText(), PresetParser::parse); }
void ParseCurrentDom(benchmark::State& state) { parse(state, currentText(), parseThroughDom); }
void ParseFirstFormat(benchmark::State& state) { parse(state, firstFormatText(), PresetParser::parse); }
void ParseFirstFormatDom(benchmark::State& state) { parse(state, firstFormatText(), parseThroughDom); }

void EncodeFull(benchmark::State& state) {
    const Preset preset = test::fullPreset();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = encodePreset(preset);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

BENCHMARK(ParseCurrent)->Unit(benchmark::kMicrosecond);
BENCHMARK(ParseCurrentDom)->Unit(benchmark::kMicrosecond);
BENCHMARK(ParseFirstFormat)->Unit(benchmark::kMicrosecond);
BENCHMARK(ParseFirstFormatDom)->Unit(benchmark::kMicrosecond);
BENCHMARK(EncodeFull)->Unit(benchmark::kMicrosecond);

}  // namespace
