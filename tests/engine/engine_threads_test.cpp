#include <gtest/gtest.h>

#include "engine/block_processing.h"
#include "engine/editor_requests.h"
#include "engine/launch_control.h"
#include "engine/published_slots.h"
#include "tests/support/engine_harness.h"

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace pulvan::engine {
namespace {
namespace layout = config_layout;

// A value whose words must all agree: a torn copy shows as a mismatch.
struct Stamped {
    std::uint64_t words[256];
    bool whole() const {
        for (std::uint64_t w : words)
            if (w != words[0]) return false;
        return true;
    }
};

TEST(PublishedSlotsThreads, TwoWritersAndAReaderNeverShareASlot) {
    auto slots = std::make_unique<PublishedSlots<Stamped, 4>>();
    for (Stamped& s : slots->slots) std::fill(std::begin(s.words), std::end(s.words), 0);
    std::atomic<bool> done{false};
    auto writer = [&](std::uint64_t base) {
        for (std::uint64_t i = 1; i <= 20000; ++i)
            slots->publish([&](Stamped& s) { std::fill(std::begin(s.words), std::end(s.words), base + i); });
    };
    std::thread editor(writer, 0), audioStop(writer, 1u << 30);
    std::uint64_t seen = 0, taken = 0, torn = 0;
    std::thread reader([&] {
        for (;;) {
            const bool writersDone = done.load();
            slots->take(seen, [&](const Stamped& s) {
                ++taken;
                if (!s.whole()) ++torn;
            });
            if (writersDone) break;  // this last take came after every publication
        }
    });
    editor.join();
    audioStop.join();
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0u);
    EXPECT_GT(taken, 0u);
    // No publication was dropped, and the final take saw the last one.
    EXPECT_EQ(slots->generation.load(), 40000u);
    EXPECT_EQ(seen, 40000u);
}

// The reader plays the value it took last from its slot while it takes the next one.
TEST(PublishedSlotsThreads, AHeldValueStaysUntouchedWhileNewerOnesAreTaken) {
    auto slots = std::make_unique<PublishedSlots<Stamped, 4>>();
    for (Stamped& s : slots->slots) std::fill(std::begin(s.words), std::end(s.words), 0);
    std::atomic<bool> done{false};
    std::thread editor([&] {
        for (std::uint64_t i = 1; i <= 20000; ++i)
            slots->publish([&](Stamped& s) { std::fill(std::begin(s.words), std::end(s.words), i); });
        done = true;
    });
    const Stamped* held = nullptr;
    std::uint64_t heldStamp = 0, seen = 0, overwritten = 0;
    while (!done.load()) {
        slots->take(seen, [&](const Stamped& next) {
            if (held && (!held->whole() || held->words[0] != heldStamp)) ++overwritten;
            held = &next;
            heldStamp = next.words[0];
            slots->hold(held);
        });
    }
    editor.join();
    EXPECT_EQ(overwritten, 0u);
}

test::ConfigBuilder stampedConfig(int stamp) {
    test::ConfigBuilder config;
    config.trackCount(stamp % 6 + 1).swing(50 + stamp % 26);
    config.words()[layout::kNotePoolCount] = 128;
    for (int i = 0; i < 128; ++i) config.words()[layout::kNotePool + i] = stamp;
    for (int t = 0; t < kTrackCount; ++t) {
        config.perTrack(layout::kChannels, t, stamp % 2 + 1);
        for (int s = 0; s < kStepsPerLane; s += 3) config.perStep(layout::kGateSteps, t, s, 1).chord(t, s, {s % 7, stamp % 128});
    }
    return config;
}

bool consistent(const EngineSnapshot& s) {
    const int stamp = s.notePool[0];
    if (s.notePoolCount != 128 || s.trackCount != stamp % 6 + 1 || s.swingPercent != 50 + stamp % 26) return false;
    for (int i = 0; i < 128; ++i)
        if (s.notePool[i] != stamp) return false;
    return true;
}

TEST(EngineThreads, EditorPushesWhileTheAudioThreadRenders) {
    test::EngineDriver driver;
    SequencerEngine& engine = driver.engine();
    std::vector<test::ConfigBuilder> configs;
    for (int i = 1; i <= 8; ++i) configs.push_back(stampedConfig(i));
    std::atomic<bool> done{false};
    std::atomic<int> inconsistent{0};

    std::thread audio([&] {
        double position = 0.0;
        const double blockQN = blockLengthQN(140.0, 128, 48000.0);
        for (int block = 0; !done.load(std::memory_order_acquire); ++block) {
            beginBlock(engine);
            if (block % 97 == 96) renderStopped(engine);  // publishes cancellations as a second writer
            else renderPlaying(engine, 140.0, position, blockQN, 48000.0, 4.0);
            if (engine.lastSeenGeneration > 0 && !consistent(stagedSnapshot(engine))) ++inconsistent;
            for (const PendingLaunch* l : {&engine.pendingScene, &engine.pendingPattern})
                if (l->valid && !consistent(l->snapshot)) ++inconsistent;
            engine.incomingMIDI.push(0x90, static_cast<std::uint8_t>(block & 0x7F), 1);
            engine.events.clear();
            position += blockQN;
        }
    });

    for (int i = 0; i < 3000; ++i) {
        const test::ConfigBuilder& config = configs[i % configs.size()];
        applyConfigBuffer(engine, config.data(), config.size());
        const double beat = currentBeatPosition(engine);
        scheduleSceneLaunch(engine, config.data(), config.size(), beat + 0.5);
        schedulePatternLaunch(engine, config.data(), config.size(), beat + 0.25, i % 6);
        if (i % 5 == 0) cancelPatternLaunch(engine);
        if (i % 7 == 0) setResyncArmed(engine, i % 14 == 0);
        if (i % 300 == 150) setEnabled(engine, false);
        if (i % 300 == 151) setEnabled(engine, true);
        const std::int32_t offsets[] = {i % 400 - 200, 0, 10};
        setTrackMIDIOutOffsetsMs(engine, offsets, 3);
        sendImmediateMIDI(engine, 0xB0, 7, static_cast<std::uint8_t>(i & 0x7F));
        forceTrackNotesOff(engine, 1u << (i % 6));
        std::uint8_t s, d1, d2;
        while (popIncomingMIDI(engine, s, d1, d2)) {
        }
        (void)currentStepGlobal(engine, i % 6);
        (void)currentActiveNotesLow(engine, i % 6);
        (void)isResyncArmed(engine);
    }
    done.store(true, std::memory_order_release);
    audio.join();
    EXPECT_EQ(inconsistent.load(), 0);
}

}  // namespace
}  // namespace pulvan::engine
