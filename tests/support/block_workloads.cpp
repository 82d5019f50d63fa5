#include "tests/support/block_workloads.h"

#include "engine/block_processing.h"
#include "engine/config_buffer.h"
#include "engine/editor_requests.h"
#include "engine/launch_control.h"
#include "tests/support/engine_harness.h"

namespace pulvan::engine::test {
namespace {
namespace layout = config_layout;

constexpr int kWarmUpBlocks = 3000;

// Six tracks, every gate on, 17-note chords, legato with portamento, smart random on every
// 64-step lane, full swing: the most a configuration can ask of a block.
std::shared_ptr<ConfigBuilder> denseBuffer(int variant) {
    auto config = std::make_shared<ConfigBuilder>();
    config->trackCount(6).swing(75).pool({40, 43, 46, 49, 52, 55, 58, 61, 64, 67, 70, 73});
    for (int i = 0; i < 12; ++i) config->words()[layout::kNotePool + i] += variant;
    for (int t = 0; t < kTrackCount; ++t) {
        config->laneLengths(t, 64).perTrack(layout::kDirections, t, 5).perTrack(layout::kChannels, t, t + 1);
        config->perTrack(layout::kPortamentoCCs, t, 65).perTrack(layout::kFillModes, t, 2);
        config->allSteps(layout::kGateSteps, t, 1).allSteps(layout::kTieSteps, t, 2).allSteps(layout::kLengthSteps, t, 80);
        for (int s = 0; s < kStepsPerLane; ++s) {
            config->perStep(layout::kCcASteps, t, s, 1 + (s * 7 + variant) % 128);
            std::vector<int> chord;
            for (int k = 0; k < kMaxChordValues; ++k) chord.push_back((s + k * 5) % 30);
            config->chord(t, s, chord);
        }
    }
    return config;
}

void applyDense(BlockSetup& s) {
    static const auto words = denseBuffer(0);
    applyConfigBuffer(*s.engine, words->data(), words->size());
}

}  // namespace

BlockSetup::BlockSetup(double bpm, int samples)
    : tempo(bpm),
      blockQN(blockLengthQN(bpm, samples, kWorkloadSampleRate)),
      budgetSeconds(samples / kWorkloadSampleRate) {}

void BlockSetup::render(const EventReader* reader) {
    beginBlock(*engine);
    renderPlaying(*engine, tempo, position, blockQN, kWorkloadSampleRate, 4.0);
    if (reader) (*reader)(engine->events);
    engine->events.clear();
    position += blockQN;
}

const std::vector<BlockWorkload>& blockWorkloads() {
    static const auto a = denseBuffer(0), b = denseBuffer(1);
    static const std::vector<BlockWorkload> workloads{
        {"demo", 120.0, [](BlockSetup&) {}, [](BlockSetup&) {}},
        {"dense", 300.0,
         [](BlockSetup& s) {
             applyDense(s);
             const std::int32_t offsets[] = {-200, -60, 0, 45, 120, 200};
             setTrackMIDIOutOffsetsMs(*s.engine, offsets, 6);
         },
         [](BlockSetup&) {}},
        {"applying_configuration", 300.0, [](BlockSetup&) {},
         [n = 0](BlockSetup& s) mutable { applyConfigBuffer(*s.engine, (n++ % 2 ? a : b)->data(), a->size()); }},
        // Launched at the block's own start: the block takes it, commits it and plays it.
        {"committing_launch", 300.0, applyDense,
         [n = 0](BlockSetup& s) mutable { scheduleSceneLaunch(*s.engine, (n++ % 2 ? a : b)->data(), a->size(), s.position - 1e-3); }},
    };
    return workloads;
}

void warmUp(BlockSetup& setup, const BlockWorkload& workload, const EventReader* reader) {
    for (int i = 0; i < kWarmUpBlocks; ++i) {
        workload.between(setup);
        setup.render(reader);
    }
}

}  // namespace pulvan::engine::test
