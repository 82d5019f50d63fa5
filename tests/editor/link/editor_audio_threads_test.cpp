#include "editor/link/editor_holder.h"
#include "editor/link/entry_points.h"
#include "tests/editor/link/link_fixture.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace pulvan::test {
namespace {

class EditorAudioThreadsTest : public LinkTest {};

// The editor thread polls, drains, configures and launches while an audio thread
// renders the same engine as a host would, feeding it incoming notes.
TEST_F(EditorAudioThreadsTest, EditsPollsAndLaunchesRunAgainstRendering) {
    LiveEngine live;
    auto* holder = static_cast<link::KezVst3EditorHolder*>(KezVst3StoreCreate(&live.hooks));
    ASSERT_NE(holder, nullptr);
    holder->thread().runSync([&] {
        auto& store = holder->bridge().store();
        store.preset.modify([](model::Preset& p) { p.notesPoolInput = model::NotesPoolInput::midiIn; });
        store.beginTransaction("Paint gate");
        store.preset.modify([](model::Preset& p) {
            for (int s = 0; s < 16; s += 2) p.tracks[0].patterns[0].lane(model::LaneKind::gate).steps[static_cast<std::size_t>(s)] = 1;
            p.sceneLaunchResolution = 16;
        });
        store.endTransaction();
    });

    std::atomic<bool> running{true};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        double position = 0.0;
        const double block = engine::blockLengthQN(120.0, 256, 44100.0);
        while (running.load()) {
            live.engine->incomingMIDI.push(0x90, static_cast<std::uint8_t>(60 + blocks % 12), 100);
            live.render(position, block);
            position += block;
            ++blocks;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });

    for (int i = 0; i < 40; ++i) {
        holder->thread().runSync([&, i] {
            auto& store = holder->bridge().store();
            store.beginTransaction("Edit");
            store.preset.modify([&](model::Preset& p) { p.tracks[0].octave = i % 3 - 1; });
            store.endTransaction();
            store.selectScene(i % 4);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    running = false;
    audio.join();
    EXPECT_GT(blocks.load(), 20);

    KezVst3StoreRelease(holder);
    live.renderStopped();
    for (int t = 0; t < engine::kTrackCount; ++t) {
        EXPECT_EQ(live.engine->activeNotesLow[t].load(), 0u) << "a note was left hanging on track " << t;
        EXPECT_EQ(live.engine->activeNotesHigh[t].load(), 0u);
    }
}

}  // namespace
}  // namespace pulvan::test
