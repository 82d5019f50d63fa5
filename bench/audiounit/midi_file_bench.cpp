#include "audiounit/midi_recorder.h"
#include "audiounit/standard_midi_file.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace pulvan::au {
namespace {

// A full take: 800,000 events over 100 bars of six tracks, interleaved as the render thread
// captures them (time order across tracks, so each track's list needs sorting).
void BM_WriteFullTake(benchmark::State& state) {
    std::vector<MIDIRecordEvent> events(kRecordCapacity);
    for (int i = 0; i < kRecordCapacity; ++i) {
        const auto track = static_cast<std::uint8_t>(i % 6);
        const bool on = (i / 6) % 2 == 0;
        events[i] = {400.0 * i / kRecordCapacity, track, static_cast<std::uint8_t>((on ? 0x90 : 0x80) | track),
                     static_cast<std::uint8_t>(36 + i % 48), static_cast<std::uint8_t>(on ? 100 : 0)};
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto file = writeStandardMIDIFile(events, {0.0, 400.0, 120.0, 6});
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

BENCHMARK(BM_WriteFullTake)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pulvan::au
