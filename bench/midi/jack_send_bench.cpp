// What one message costs the render thread on a JACK output port connected to another
// program: it goes into the port's queue, and nothing is asked of the server (a round
// trip to it takes tens of microseconds, and forever once the server stops reading).
// Starts a JACK server of its own and stops it at the end.
#include "platform/midi/backend.h"
#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/jack_backend.h"
#include "tests/platform/midi/jack_program.h"
#include "tests/platform/midi/jack_server.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

namespace pulvan::midi {
namespace {

void BM_JackSendToConnected(benchmark::State& state) {
    test::OwnJackServer server("send-bench", 256);
    if (!server.started()) {
        state.SkipWithError("jackd did not start");
        return;
    }
    ScopedBackend jack(makeJackBackend());
    auto sink = test::JackProgram::open("Send Sink", "in", test::JackProgram::Kind::destination);
    Client client("PulvanStandaloneMIDIClient");
    OutputPort port(client, "PulvanStandaloneMIDIPort");
    std::optional<Endpoint> destination;
    for (int i = 0; i < 300 && sink && !destination; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        for (const Endpoint& e : destinations()) {
            if (e.address == sink->portName()) destination = e;
        }
    }
    if (!destination || !port.connect(*destination)) {
        state.SkipWithError("the sink's port is not reached");
        return;
    }
    // Well within the port's queue, which the server's next cycle empties.
    constexpr int kBatch = 64;
    const std::uint8_t note[] = {0x90, 60, 100};
    std::int64_t sent = 0;
    Timestamp worst = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            const Timestamp start = now();
            sent += port.sendToConnected(note) ? 1 : 0;
            worst = std::max(worst, now() - start);
        }
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(15));  // two cycles of 256 frames
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.counters["queued"] = static_cast<double>(sent) / static_cast<double>(state.iterations() * kBatch);
    state.counters["worst_send_us"] = static_cast<double>(worst) / 1000.0;
}
BENCHMARK(BM_JackSendToConnected)->Iterations(200)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pulvan::midi
