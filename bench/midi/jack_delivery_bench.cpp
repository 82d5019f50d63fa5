// How far from its timestamp a message reaches another program on a JACK server.
// Needs a server: JACK_DEFAULT_SERVER=<name> jackd --no-realtime -n <name> -d dummy -r 44100 -p 256
#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "tests/platform/midi/jack_program.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <thread>
#include <vector>

namespace pulvan::midi {
namespace {

// Sixteen notes on sixteenths at 120 BPM, sent 50 ms ahead as the standalone host renders;
// reports the mean and the worst distance from the timestamp, in frames.
void BM_JackDeliveryError(benchmark::State& state) {
    auto meter = test::JackProgram::open("Delivery Meter", "in", test::JackProgram::Kind::destination);
    if (!meter) {
        state.SkipWithError("no JACK server answers");
        return;
    }
    const double frameNanoseconds = 1e9 / meter->sampleRate();
    Client client("PulvanStandaloneMIDIClient");
    OutputPort port(client, "PulvanStandaloneMIDIPort");
    std::optional<Endpoint> destination;
    for (int i = 0; i < 300 && !destination; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        for (const Endpoint& e : destinations()) {
            if (e.address == meter->portName()) destination = e;
        }
    }
    if (!destination) {
        state.SkipWithError("the meter's port is not listed");
        return;
    }
    constexpr int kNotes = 16;
    constexpr Timestamp kSixteenth = 125'000'000;
    const std::uint8_t note[] = {0x90, 60, 100};
    double sum = 0, worst = 0;
    std::size_t measured = 0;
    for (auto _ : state) {
        const std::size_t before = meter->arrivals().size();
        const Timestamp first = now() + 50'000'000;
        for (int i = 0; i < kNotes; ++i) port.send(*destination, note, first + static_cast<Timestamp>(i) * kSixteenth);
        while (meter->arrivals().size() < before + kNotes && now() < first + kNotes * kSixteenth + 500'000'000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const auto arrivals = meter->arrivals();
        for (std::size_t i = 0; i + before < arrivals.size(); ++i) {
            const double error =
                std::abs(static_cast<double>(arrivals[before + i].at) - static_cast<double>(first + i * kSixteenth)) / frameNanoseconds;
            sum += error;
            worst = std::max(worst, error);
            ++measured;
        }
    }
    state.counters["mean_error_frames"] = measured ? sum / measured : 0;
    state.counters["worst_error_frames"] = worst;
    state.counters["delivered"] = static_cast<double>(measured) / (state.iterations() * kNotes);
}
BENCHMARK(BM_JackDeliveryError)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pulvan::midi
