#include <gtest/gtest.h>

#include "audiounit/midi_recorder.h"
#include "tests/audiounit/midi_file_csv.h"
#include "tests/support/audio_unit_driver.h"

#include <atomic>
#include <cmath>
#include <thread>

namespace pulvan::au::test {
namespace {

// Two configurations that differ in channel, so every switch also releases held notes.
ConfigBuilder holdingOn(int channel, int note) {
    ConfigBuilder config;
    config.trackCount(2).laneLengths(0, 4).perTrack(layout::kChannels, 0, channel);
    for (int s = 0; s < 4; ++s) fixedNote(config, 0, s, note + s).perStep(layout::kTieSteps, 0, s, s % 2);
    return config;
}

TEST(ThreadedRender, ConfiguringAndLaunchingWhileRenderingLeavesNoNoteHanging) {
    AudioUnitDriver driver(48000.0, 128);
    PulvanAudioUnit& unit = driver.unit();
    const ConfigBuilder a = holdingOn(1, 60), b = holdingOn(5, 72);
    unit.configureAppPlay(argumentsFrom(a));

    std::atomic<bool> rendering{true};
    std::atomic<double> position{0.0};
    std::atomic<int> calls{0};
    std::thread main([&] {
        for (int i = 0; rendering.load(); ++i, ++calls) {
            const ConfigBuilder& next = i % 2 ? a : b;
            unit.configureAppPlay(argumentsFrom(next));
            unit.scheduleAppPlaySceneLaunch(argumentsFrom(i % 3 ? a : b), std::ceil(position.load()) + 1.0);
            if (i % 5 == 0) unit.scheduleAppPlayPatternLaunch(argumentsFrom(next), std::ceil(position.load()) + 0.5, i % 6);
            if (i % 7 == 0) unit.cancelScheduledAppPlayPatternLaunch();
            if (i % 11 == 0) unit.setAppPlayResyncArmed(true);
            unit.sendImmediateMIDI(0xB0, 7, static_cast<std::uint8_t>(i % 128));
            unit.drainIncomingMIDIMessages();
            (void)unit.currentAppPlayGlobalStepForTrack(i % 6);
            (void)unit.currentAppPlayActiveNotesLowForTrack(0);
            std::this_thread::yield();
        }
    });
    std::vector<SentMessage> sent;
    const RenderEvent fromHost{nullptr, 0, RenderEventType::midi, 3, 0, {0x90, 40, 90}};
    driver.hostEvents = &fromHost;
    for (int block = 0; block < 3000 || (calls.load() < 2000 && block < 1000000); ++block) {
        const double beat = block * driver.blockQN();
        position.store(beat);
        driver.render(beat);
        if (block % 64 == 0) {
            auto taken = driver.take();
            sent.insert(sent.end(), taken.begin(), taken.end());
        }
    }
    rendering.store(false);
    main.join();
    auto rest = driver.stop();
    auto taken = driver.take();
    sent.insert(sent.end(), rest.begin(), rest.end());
    sent.insert(sent.end(), taken.begin(), taken.end());
    EXPECT_FALSE(noteOns(sent).empty());
    EXPECT_TRUE(soundingNotes(sent).empty()) << soundingNotes(sent).size() << " notes left sounding";
}

TEST(ThreadedRender, TakesHandedOverWhileTheRenderThreadStopsAndStartsAreWholeFiles) {
    AudioUnitDriver driver(48000.0, 4800);  // a tenth of a second a block: a bar every 20 blocks
    PulvanAudioUnit& unit = driver.unit();
    ConfigBuilder config;
    fixedNote(config, 0, 0, 48);
    fixedNote(config, 0, 8, 55);
    unit.configureAppPlay(argumentsFrom(config));

    std::atomic<bool> rendering{true};
    std::atomic<int> files{0};
    std::vector<std::vector<std::uint8_t>> collected;  // touched by the main thread only until it is joined
    std::thread main([&] {
        while (rendering.load()) {
            // Collect before arming again: a new arm replaces a take not yet collected.
            if (auto file = unit.consumeAppPlayMIDIRecordData()) {
                collected.push_back(std::move(*file));
                ++files;
            }
            unit.setAppPlayMIDIRecordArmStart(true);
            unit.setAppPlayMIDIRecordArmStop(true);
            std::this_thread::yield();
        }
    });
    double beat = 0.0;
    for (int block = 0; block < 4000 || (files.load() < 5 && block < 1000000); ++block) {
        driver.moving = block % 97 != 96;  // the host stops now and then, dropping the take
        driver.render(beat);
        beat = driver.moving ? beat + driver.blockQN() : 0.0;
        driver.take();
        // On a busy machine both threads may share one core: a take can only be collected if
        // the collecting thread gets a turn before the next host stop drops it.
        std::this_thread::yield();
    }
    rendering.store(false);
    main.join();
    ASSERT_GT(collected.size(), 0u);
    for (const auto& file : collected) {
        const auto rows = midicsvRows(file);
        EXPECT_EQ(rowsOfType(rows, "End_track").size(), 2u);
        EXPECT_EQ(rowsOfType(rows, "Note_on_c").size(), rowsOfType(rows, "Note_off_c").size());
    }
}

}  // namespace
}  // namespace pulvan::au::test
