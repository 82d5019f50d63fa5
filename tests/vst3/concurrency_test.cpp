// The host's audio thread plays while its main thread saves and restores the
// project and the editor side drives the engine: nothing may race or tear.
#include <gtest/gtest.h>

#include "engine/config_buffer.h"
#include "engine/engine_hooks.h"
#include "public.sdk/source/common/memorystream.h"
#include "tests/vst3/plugin_instance.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace kez::test {
namespace {

std::vector<std::uint8_t> stateOf(PluginInstance& plugin) {
    MemoryStream stream;
    plugin.component()->getState(&stream);
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.getData());
    return {data, data + stream.getSize()};
}

// The host's audio thread: blocks of 256 samples with a note-on coming in each, until done.
void playUntil(PluginInstance& plugin, const std::atomic<bool>& done) {
    Transport transport;
    EventList input;
    Event on{};
    on.type = Event::kNoteOnEvent;
    on.noteOn = {0, 60, 0.f, 0.8f, 0, -1};
    input.events.push_back(on);
    for (std::int64_t block = 0; !done.load(); ++block) {
        transport.positionQn = static_cast<double>(block) * 256 / kSampleRate * 2.0;
        plugin.processBlock(256, &transport, block * 256, &input);
    }
}

TEST(Concurrency, StateAndHooksWhileTheAudioThreadPlays) {
    LoadedBundle bundle(PULVAN_VST3_BUNDLE_PATH);
    ASSERT_TRUE(bundle.loaded()) << bundle.error();
    const auto host = makeHostContext();
    IPluginFactory* factory = bundle.factory();
    {
        PluginInstance plugin(factory, host.get(), EditorSide::absent);  // the test is the editor side
        ASSERT_TRUE(plugin.ready());
        const KezVst3EngineHooks hooks =
            KezVst3EngineMakeHooks(reinterpret_cast<void*>(static_cast<std::intptr_t>(plugin.toController()->enginePtr)));

        pulvan::engine::EngineConfigBuffer words{};
        words[0] = pulvan::engine::config_layout::kMagic;
        words[1] = 3;
        hooks.pushConfigBuffer(hooks.engine, words.data(), static_cast<int32_t>(words.size()));
        hooks.pushPresetBlob(hooks.engine, reinterpret_cast<const uint8_t*>("{}"), 2);
        const std::vector<std::uint8_t> saved = stateOf(plugin);

        std::atomic<bool> done{false};
        std::thread audio([&] { playUntil(plugin, done); });
        for (int round = 0; round < 300; ++round) {
            MemoryStream stream(const_cast<std::uint8_t*>(saved.data()), static_cast<TSize>(saved.size()));
            EXPECT_EQ(plugin.component()->setState(&stream), kResultOk);
            EXPECT_EQ(stateOf(plugin).size(), saved.size());
            const int32_t offsets[] = {round % 50, -(round % 40)};
            hooks.setTrackMIDIOutOffsetsMs(hooks.engine, offsets, 2);
            hooks.pushConfigBuffer(hooks.engine, words.data(), static_cast<int32_t>(words.size()));
            std::uint8_t status = 0, d1 = 0, d2 = 0;
            while (hooks.popIncomingMIDI(hooks.engine, &status, &d1, &d2)) EXPECT_EQ(status, 0x90);
        }
        done = true;
        audio.join();
    }
    factory->release();
}

// The editor side on its own thread polls the engine, drains its incoming MIDI and
// follows the host's restores while the audio thread plays and the host's main
// thread saves and restores the project.
TEST(Concurrency, TheEditorThreadFollowsRestoresWhileTheAudioThreadPlays) {
    LoadedBundle bundle(PULVAN_VST3_BUNDLE_PATH);
    ASSERT_TRUE(bundle.loaded()) << bundle.error();
    const auto host = makeHostContext();
    IPluginFactory* factory = bundle.factory();
    {
        PluginInstance plugin(factory, host.get(), EditorSide::connected);
        ASSERT_TRUE(plugin.ready());
        const std::vector<std::uint8_t> saved = stateOf(plugin);
        std::atomic<bool> done{false};
        std::thread audio([&] { playUntil(plugin, done); });
        for (int round = 0; round < 40; ++round) {
            MemoryStream stream(const_cast<std::uint8_t*>(saved.data()), static_cast<TSize>(saved.size()));
            EXPECT_EQ(plugin.component()->setState(&stream), kResultOk);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));  // several editor polls in all
        }
        done = true;
        audio.join();
        EXPECT_GT(stateOf(plugin).size(), 0u);
    }
    factory->release();
}

}  // namespace
}  // namespace kez::test
