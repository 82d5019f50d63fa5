// Instructions per engine block, one callgrind dump per block (run by block_costs.sh): the
// worst block of a workload repeats exactly on a noisy machine, where a wall-clock maximum
// measures the machine. Only the blocks are collected; warm-up and editor work are not.
#include "tests/support/block_workloads.h"

#include <valgrind/callgrind.h>

#include <cstdio>
#include <string>

int main() {
    using namespace pulvan::engine::test;
    if (!RUNNING_ON_VALGRIND) {
        std::fprintf(stderr, "block_costs counts instructions under callgrind: run bench/engine/block_costs.sh\n");
        return 1;
    }
    for (const BlockWorkload& workload : blockWorkloads()) {
        for (int samples : kWorkloadBlockSizes) {
            BlockSetup setup(workload.tempo, samples);
            workload.prepare(setup);
            warmUp(setup, workload);
            const std::string label = workload.name + "/" + std::to_string(samples);
            const double end = setup.position + kMeasuredQN;
            while (setup.position < end) {
                workload.between(setup);
                CALLGRIND_TOGGLE_COLLECT;
                setup.render();
                CALLGRIND_TOGGLE_COLLECT;
                CALLGRIND_DUMP_STATS_AT(label.c_str());
            }
        }
    }
    return 0;
}
