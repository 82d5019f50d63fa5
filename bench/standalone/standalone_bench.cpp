// What the standalone output costs per message on the render queue: the destination is
// chosen anew for every message, by name, among all destinations.
#include "editor/link/standalone/standalone_midi_sender.h"
#include "platform/midi/loopback_backend.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace pulvan;

// A MIDI system with `count` destinations, "Session 1" last, so every choice scans them all.
struct Studio {
    std::shared_ptr<midi::LoopbackBackend> backend = std::make_shared<midi::LoopbackBackend>();
    midi::ScopedBackend installed{backend};

    explicit Studio(int count) {
        for (int i = 1; i < count; ++i) backend->addDestination("Synth " + std::to_string(i), "In", [](auto, auto) {});
        backend->addDestination("Session 1", "Session 1", [](auto, auto) {});
    }
};

void BM_ResolveDestination(benchmark::State& state) {
    Studio studio(static_cast<int>(state.range(0)));
    link::StandaloneMIDISender sender;
    for (auto _ : state) benchmark::DoNotOptimize(sender.resolveDestination());
}
BENCHMARK(BM_ResolveDestination)->Arg(1)->Arg(8)->Arg(32);

// A timed note as the engine host sends it: chosen destination, queued for later.
void BM_SendTimedNote(benchmark::State& state) {
    Studio studio(static_cast<int>(state.range(0)));
    link::StandaloneMIDISender sender;
    const std::uint8_t note[] = {0x90, 60, 100};
    const midi::Timestamp later = midi::now() + 50'000'000;
    for (auto _ : state) benchmark::DoNotOptimize(sender.sendMessage(note, later));
}
BENCHMARK(BM_SendTimedNote)->Arg(1)->Arg(8);

}  // namespace
