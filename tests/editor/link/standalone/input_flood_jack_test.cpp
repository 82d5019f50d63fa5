// Another program sending into the playing application's input as fast as the port admits.
#include <gtest/gtest.h>

#include "editor/link/standalone/standalone_app_play.h"
#include "editor/link/standalone/standalone_midi_sender.h"
#include "editor/link/store_link.h"
#include "editor/model/preset.h"
#include "editor/store/sequencer_store.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/pasteboard.h"
#include "platform/midi/jack_ports.h"
#include "tests/editor/link/standalone/host_rig.h"
#include "tests/editor/link/standalone/receiving_program.h"
#include "tests/platform/foundation/temp_folder.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();  // GCC ships no header for it
#else
#include <malloc.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace pulvan::link {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::size_t heapBytesInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();  // without what the sanitizer holds back after a free
#else
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

// The application's store, link and app play, its notes pool on "MIDI in", on a main queue
// that the test runs as the application's loop does.
class Application {
public:
    Application() {
        model::Preset preset = model::defaultPreset();
        preset.notesPoolInput = model::NotesPoolInput::midiIn;
        preset.tracks[0].patterns[0].lane(model::LaneKind::gate).steps.assign(64, 1);
        store = std::make_unique<store::SequencerStore>(
            store::StoreServices{main, pasteboard_, foundation::UserDefaults::standard(),
                                 [this](std::uint8_t s, std::uint8_t d1, std::uint8_t d2) { sender_.send(s, d1, d2); }},
            std::move(preset));
        link_ = std::make_unique<StoreLink>(*store);
        appPlay = std::make_unique<StandaloneAppPlay>(*link_, sender_, test::sequencerRegistry());
    }
    ~Application() {
        appPlay.reset();
        link_.reset();
        store.reset();
    }

    // Runs the main queue until `condition` holds or `limit` passes.
    bool runUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 3s) {
        const auto deadline = Clock::now() + limit;
        while (!condition()) {
            if (Clock::now() > deadline) return false;
            if (main.pump() == 0) std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    // How long a command posted to the main queue now waits before it runs, the queue run meanwhile.
    Clock::duration commandWait() {
        const auto posted = Clock::now();
        auto ran = std::make_shared<std::atomic<bool>>(false);
        main.async([this, ran] {
            store->toggleMute(1);
            ran->store(true);
        });
        runUntil([&] { return ran->load(); }, 60s);
        return Clock::now() - posted;
    }

private:
    pulvan::test::TempFolder home_;
    pulvan::test::ScopedEnvironment dataHome_{"XDG_DATA_HOME", (home_.path() / "data").string()};
    pulvan::test::ScopedEnvironment configHome_{"XDG_CONFIG_HOME", (home_.path() / "config").string()};
    foundation::MemoryPasteboard pasteboard_;
    StandaloneMIDISender sender_;
    std::unique_ptr<StoreLink> link_;

public:
    foundation::MainQueue main;
    std::unique_ptr<store::SequencerStore> store;
    std::unique_ptr<StandaloneAppPlay> appPlay;
};

// A program whose port sends, in every cycle, nearly as many messages as the cycle takes: keys 60 to 99
// pressed and released and a controller sweeping. Once stopped it releases those keys and
// presses 48, 52 and 55.
class FloodingKeyboard {
public:
    static std::unique_ptr<FloodingKeyboard> open() {
        auto client = midi::JackClient::open("Flood Keys");
        if (!client) return nullptr;
        std::unique_ptr<FloodingKeyboard> keyboard(new FloodingKeyboard(std::move(client)));
        jack_client_t* jack = keyboard->client_->raw();
        keyboard->port_ = jack_port_register(jack, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        jack_set_process_callback(jack, &FloodingKeyboard::process, keyboard.get());
        if (!keyboard->port_ || jack_activate(jack) != 0) return nullptr;
        return keyboard;
    }
    ~FloodingKeyboard() { client_.reset(); }  // its process callback stops first

    bool stop() {
        phase_ = Phase::finishing;
        return test::eventually([&] { return phase_.load() == Phase::done; });
    }

private:
    enum class Phase { flooding, finishing, done };
    static constexpr int kMessagesPerCycle = 2'500;
    explicit FloodingKeyboard(std::unique_ptr<midi::JackClient> client) : client_(std::move(client)) {}

    static int process(jack_nframes_t frames, void* self) {
        auto& keyboard = *static_cast<FloodingKeyboard*>(self);
        void* buffer = jack_port_get_buffer(keyboard.port_, frames);
        jack_midi_clear_buffer(buffer);
        if (keyboard.phase_.load() == Phase::flooding) {
            // As many as a cycle of 256 frames holds, short of the limit, which libjack logs for each refusal.
            for (int i = 0; i < kMessagesPerCycle && keyboard.writeNext(buffer); ++i) {
            }
        } else if (keyboard.phase_.load() == Phase::finishing) {
            for (std::uint8_t note = 60; note < 100; ++note) write(buffer, {0x80, note, 0});
            for (const std::uint8_t note : {48, 52, 55}) write(buffer, {0x90, note, 100});
            keyboard.phase_ = Phase::done;
        }
        return 0;
    }
    // A message cut off at the end of a cycle leads the next, so every key pressed is released.
    bool writeNext(void* buffer) {
        const auto note = static_cast<std::uint8_t>(60 + step_ / 3 % 40);
        const std::array<std::uint8_t, 3> messages[] = {
            {0x90, note, 100}, {0xB0, 7, static_cast<std::uint8_t>(step_ % 128)}, {0x80, note, 0}};
        if (!write(buffer, messages[step_ % 3])) return false;
        ++step_;
        return true;
    }
    static bool write(void* buffer, const std::array<std::uint8_t, 3>& message) {
        jack_midi_data_t* data = jack_midi_event_reserve(buffer, 0, message.size());
        if (data) std::copy(message.begin(), message.end(), data);
        return data != nullptr;
    }

    std::unique_ptr<midi::JackClient> client_;
    jack_port_t* port_ = nullptr;
    std::atomic<Phase> phase_ = Phase::flooding;
    std::uint64_t step_ = 0;  // the process callback's own
};

TEST(InputFloodJackTest, AFloodCostsTheMainThreadBoundedWorkAndThePoolEndsWithTheKeysStillHeld) {
    if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
    ::setenv("JACK_NO_START_SERVER", "1", 1);
    ReceivingProgram session("Session 1", "in");
    auto keys = FloodingKeyboard::open();
    ASSERT_TRUE(session.open() && keys);
    Application app;
    app.appPlay->startAppPlay();
    ASSERT_TRUE(app.runUntil([&] { return !app.store->preset->notesPool.empty(); })) << "the input does not hear the flood";

    const std::size_t heapBefore = heapBytesInUse();
    std::size_t heapMost = heapBefore;
    Clock::duration longestWait{};
    for (const auto floodEnds = Clock::now() + 4s; Clock::now() < floodEnds;) {
        heapMost = std::max(heapMost, heapBytesInUse());  // with what waits for the main queue
        longestWait = std::max(longestWait, app.commandWait());
    }
    ASSERT_TRUE(keys->stop());
    longestWait = std::max(longestWait, app.commandWait());
    EXPECT_LT(longestWait, 2s) << "a click waits behind the input";
    EXPECT_LT(std::max(heapMost, heapBytesInUse()), heapBefore + 16 * 1024 * 1024) << "the input's backlog grew";
    EXPECT_TRUE(app.runUntil([&] {
        return app.store->preset->notesPool == std::vector<int>{48, 52, 55};
    })) << "the pool does not show the keys still held";

    app.appPlay->stopAppPlay();
    std::this_thread::sleep_for(100ms);
    const auto arrivals = session.arrivals();
    EXPECT_TRUE(std::any_of(arrivals.begin(), arrivals.end(), noteOn)) << "it never played";
    EXPECT_TRUE(stillSounding(arrivals).empty()) << "a note sounds after stop";
}

}  // namespace
}  // namespace pulvan::link
