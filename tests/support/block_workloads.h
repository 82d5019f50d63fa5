#pragma once
// The engine workloads that the timed benchmark, the callgrind block counter and the workload
// event record all run: one engine driven block after block as a front end drives it, with the
// editor's work (a configuration or a launch before a block) kept apart from the block itself.
#include "engine/sequencer_engine.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pulvan::engine::test {

inline constexpr double kWorkloadSampleRate = 48000.0;
inline constexpr int kWorkloadBlockSizes[] = {64, 512, 2048};
inline constexpr double kMeasuredQN = 16.0;  // a whole cycle of the dense workload's 64-step lanes

// Reads a block's events before they are cleared.
using EventReader = std::function<void(const EngineEventBuffer&)>;

struct BlockSetup {
    std::unique_ptr<SequencerEngine> engine = std::make_unique<SequencerEngine>();
    double tempo;
    double blockQN;
    double budgetSeconds;
    double position = 0.0;

    BlockSetup(double bpm, int samples);
    void render(const EventReader* reader = nullptr);  // one block; its events are read and cleared as a front end does
};

struct BlockWorkload {
    std::string name;
    double tempo;
    std::function<void(BlockSetup&)> prepare;  // once
    std::function<void(BlockSetup&)> between;  // editor-side work before each block, not part of it
};

// "demo", "dense", "applying_configuration", "committing_launch".
const std::vector<BlockWorkload>& blockWorkloads();

// Plays one whole 64-step cycle, so first-touch page faults do not count as a slow block.
void warmUp(BlockSetup& setup, const BlockWorkload& workload, const EventReader* reader = nullptr);

}  // namespace pulvan::engine::test
