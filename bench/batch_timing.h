#pragma once
// Per-block figures of benchmarks that time whole batches of audio blocks: the thread's CPU
// time over the whole run (two clock reads, not two per block), so neither the clock's own
// cost nor other processes on a loaded machine count as block time.
#include <benchmark/benchmark.h>

#include <ctime>

namespace pulvan::bench {

class BatchTiming {
public:
    BatchTiming() : start_(threadSeconds()) {}

    // "cpu_ns_per_block" and "budget_%" (the block's share of its real-time budget).
    void report(benchmark::State& state, double blocks, double budgetSeconds) const {
        const double perBlock = (threadSeconds() - start_) / blocks;
        state.counters["cpu_ns_per_block"] = perBlock * 1e9;
        state.counters["budget_%"] = perBlock / budgetSeconds * 100.0;
    }

private:
    static double threadSeconds() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    }
    double start_;
};

}  // namespace pulvan::bench
