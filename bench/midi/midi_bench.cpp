#include "platform/midi/client.h"
#include "platform/midi/loopback_backend.h"
#include "platform/midi/short_message_queue.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace pulvan::midi {
namespace {

// What an audio thread pays to hand one message to the layer, and the layer to take it.
void BM_ShortMessageQueuePushPop(benchmark::State& state) {
    auto queue = std::make_unique<ShortMessageQueue<4096>>();
    ShortMessage message{kSendNow, 3, {0x90, 60, 100}};
    ShortMessage out;
    for (auto _ : state) {
        queue->tryPush(message);
        queue->tryPop(out);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ShortMessageQueuePushPop);

// Messages sent now through an output port until the destination has them all:
// the layer thread's throughput.
void BM_OutputPortDelivery(benchmark::State& state) {
    auto backend = std::make_shared<LoopbackBackend>();
    ScopedBackend installed(backend);
    std::atomic<std::int64_t> delivered = 0;
    const std::string address = backend->addDestination("Synth", "In", [&](std::span<const std::uint8_t>, Timestamp) { ++delivered; });
    const Endpoint destination{address, "In", "Synth In", 1};
    Client client("Bench");
    OutputPort port(client, "Out");
    const std::vector<std::uint8_t> note{0x90, 60, 100};
    const auto batch = state.range(0);
    for (auto _ : state) {
        delivered = 0;
        for (std::int64_t i = 0; i < batch; ++i) port.send(destination, note);
        while (delivered.load(std::memory_order_acquire) < batch) std::this_thread::yield();
    }
    state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_OutputPortDelivery)->Arg(1)->Arg(512)->UseRealTime();

}  // namespace
}  // namespace pulvan::midi
