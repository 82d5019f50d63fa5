#include <gtest/gtest.h>

#include "engine/block_processing.h"
#include "engine/editor_requests.h"
#include "engine/launch_control.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/engine_harness.h"

#include <cmath>

namespace pulvan::engine {
namespace {
namespace layout = config_layout;

// A busy configuration: six tracks, chords, ties, portamento, random lanes, swing, offsets.
test::ConfigBuilder busyConfig(int variant) {
    test::ConfigBuilder config;
    config.trackCount(6).swing(66).pool({48, 52, 55, 59, 60, 64, 67, 71});
    for (int t = 0; t < kTrackCount; ++t) {
        config.perTrack(layout::kResolutions, t, t % 2 ? 16 : 116).perTrack(layout::kDirections, t, (t + variant) % 6);
        config.perTrack(layout::kPortamentoCCs, t, 65).perTrack(layout::kChannels, t, t + 1).laneLengths(t, 7 + t);
        for (int s = 0; s < kStepsPerLane; ++s) {
            config.perStep(layout::kGateSteps, t, s, 1).perStep(layout::kTieSteps, t, s, (s + variant) % 3);
            config.chord(t, s, {s % 8, s % 5, 9, -2}).perStep(layout::kCcASteps, t, s, s * 2);
        }
    }
    return config;
}

TEST(RealTime, BlocksNeverAllocate) {
    test::EngineDriver driver;
    SequencerEngine& engine = driver.engine();
    driver.push(busyConfig(0));
    const std::int32_t offsets[] = {-200, 0, 150, -50, 200, 30};
    setTrackMIDIOutOffsetsMs(engine, offsets, 6);
    const test::ConfigBuilder next = busyConfig(1);
    const double blockQN = blockLengthQN(180.0, 256, 48000.0);
    std::uint64_t allocations = 0;
    double position = 0.0;
    for (int i = 0; i < 4000; ++i) {
        if (i % 500 == 100) scheduleSceneLaunch(engine, next.data(), next.size(), std::floor(position) + 2.0);
        if (i % 700 == 300) setResyncArmed(engine, true);
        if (i % 900 == 450) driver.push(busyConfig(i % 3));
        if (i % 1000 == 999) position = 1.0;  // a host loop
        sendImmediateMIDI(engine, 0x90, 60, 100);
        {
            pulvan::test::ScopedAllocationCount counter;
            beginBlock(engine);
            if (i % 1300 == 1299) renderStopped(engine);
            else renderPlaying(engine, 180.0, position, blockQN, 48000.0, 4.0);
            allocations += counter.count();
        }
        engine.events.clear();
        position += blockQN;
    }
    EXPECT_EQ(allocations, 0u);
}

}  // namespace
}  // namespace pulvan::engine
