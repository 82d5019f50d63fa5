// Cost of the engine's audio blocks, timed in batches: reading a clock costs more than a light
// block, so single blocks are never timed. "cpu_ns_per_block" is the average block's thread CPU
// time and "budget_%" its share of the block's real-time budget at 48 kHz. Workloads with editor work (a configuration or a launch before
// every block) include that work in the batch; the block alone, and the worst block of each
// workload, are counted in instructions by block_costs.sh under callgrind.
#include "bench/batch_timing.h"
#include "engine/config_buffer.h"
#include "engine/launch_control.h"
#include "tests/support/block_workloads.h"
#include "tests/support/engine_harness.h"

#include <benchmark/benchmark.h>

namespace {
using namespace pulvan::engine;
using test::BlockSetup;
using test::BlockWorkload;

constexpr int kBatch = 256;

void runWorkload(benchmark::State& state, const BlockWorkload& workload) {
    BlockSetup setup(workload.tempo, static_cast<int>(state.range(0)));
    workload.prepare(setup);
    test::warmUp(setup, workload);
    const pulvan::bench::BatchTiming timing;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            workload.between(setup);
            setup.render();
        }
    }
    timing.report(state, static_cast<double>(state.iterations()) * kBatch, setup.budgetSeconds);
}

const bool registered = [] {
    for (const BlockWorkload& workload : test::blockWorkloads()) {
        benchmark::RegisterBenchmark(("Blocks/" + workload.name).c_str(), runWorkload, workload)->Arg(64)->Arg(512)->Arg(2048);
    }
    return true;
}();

// The editor side of the same hand-overs.
void BM_ApplyConfigBuffer(benchmark::State& state) {
    auto engine = std::make_unique<SequencerEngine>();
    test::ConfigBuilder words;
    for (auto _ : state) applyConfigBuffer(*engine, words.data(), words.size());
}
BENCHMARK(BM_ApplyConfigBuffer);

void BM_ScheduleSceneLaunch(benchmark::State& state) {
    auto engine = std::make_unique<SequencerEngine>();
    test::ConfigBuilder words;
    for (auto _ : state) scheduleSceneLaunch(*engine, words.data(), words.size(), 8.0);
}
BENCHMARK(BM_ScheduleSceneLaunch);

}  // namespace
