// The standalone host, sender and receiver against other programs on a real JACK server.
#include "editor/link/standalone/standalone_engine_host.h"
#include "editor/link/standalone/standalone_midi_receiver.h"
#include "editor/link/standalone/standalone_midi_sender.h"
#include "platform/foundation/main_queue.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/virtual_source.h"
#include "tests/editor/link/standalone/demo_payload.h"
#include "tests/editor/link/standalone/host_rig.h"
#include "tests/editor/link/standalone/receiving_program.h"

#include <RtMidi.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

namespace pulvan::link {
namespace {

using namespace std::chrono_literals;
using test::eventually;

constexpr std::int64_t kMillisecond = 1'000'000;
// JACK hands MIDI on once a period (256 frames: 5.8 ms), and a busy machine may run a cycle late.
constexpr std::int64_t kJackLateness = 15 * kMillisecond;

bool destinationListed(const std::string& part) {
    for (const auto& destination : midi::destinations()) {
        if (destination.displayName.find(part) != std::string::npos) return true;
    }
    return false;
}

class StandaloneJackTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
        ::setenv("JACK_NO_START_SERVER", "1", 1);
    }
};

TEST_F(StandaloneJackTest, HostPlaysTheDemoIntoSessionOneOnTimeAndReleasesOnStop) {
    // Listed before "Session 1" whatever the order: the preference, not the order, must decide.
    ReceivingProgram other("Aux Synth", "in");
    ReceivingProgram session("Session 1", "in");
    ASSERT_TRUE(eventually([] { return destinationListed("Session 1") && destinationListed("Aux Synth"); }));

    StandaloneMIDISender sender;
    auto host = test::makeDemoHost(sender);
    ASSERT_NE(host, nullptr);
    host->start();
    const std::int64_t anchor = host->anchorHostTime();
    const std::size_t wanted = test::demoBar().size() + 1;
    ASSERT_TRUE(eventually(
        [&] {
            const auto arrivals = session.arrivals();
            return static_cast<std::size_t>(std::count_if(arrivals.begin(), arrivals.end(), noteOn)) >= wanted;
        },
        4s));
    host->stop();
    std::this_thread::sleep_for(100ms);

    const auto arrivals = session.arrivals();
    std::vector<Arrival> ons;
    std::copy_if(arrivals.begin(), arrivals.end(), std::back_inserter(ons), noteOn);
    ASSERT_GE(ons.size(), wanted);
    for (std::size_t i = 0; i < wanted; ++i) {
        const auto& bar = test::demoBar();
        const test::DemoNote expected = i < bar.size() ? bar[i] : test::DemoNote{4.0, bar[0].note, bar[0].velocity};
        EXPECT_EQ(ons[i].bytes, (std::vector<unsigned char>{0x90, static_cast<unsigned char>(expected.note),
                                                             static_cast<unsigned char>(expected.velocity)}));
        const std::int64_t lateness = ons[i].at - (anchor + static_cast<std::int64_t>(expected.beat * 500 * kMillisecond));
        EXPECT_GE(lateness, -kMillisecond) << "note-on " << i << " came early";
        EXPECT_LE(lateness, kJackLateness) << "note-on " << i << " came late";
    }
    // A note-off 0.3 beats (150 ms) after each note-on, and none left sounding after stop.
    std::map<int, int> sounding;
    for (const Arrival& a : arrivals) {
        if (noteOn(a)) ++sounding[a.bytes[1]];
        if (noteOff(a)) --sounding[a.bytes[1]];
    }
    for (const auto& [note, count] : sounding) EXPECT_EQ(count, 0) << "note " << note << " left sounding";
    EXPECT_TRUE(other.arrivals().empty()) << "only Session 1 plays";
}

TEST_F(StandaloneJackTest, ReceiverHearsAKeyboardButNotTheOwnVirtualSource) {
    RtMidiOut keyboard(sameApiAsTheMIDILayer(), "Test Keyboard");
    keyboard.openVirtualPort("out");
    midi::SharedVirtualSource ownSource;
    ASSERT_TRUE(ownSource.isOpen());
    foundation::MainQueue main;
    std::vector<std::pair<int, bool>> notes;
    StandaloneMIDIReceiver receiver(main, [&](int note, bool isOn) { notes.emplace_back(note, isOn); });
    const auto connected = [&](const std::string& part) {
        for (const auto& source : receiver.connectedSources()) {
            if (source.displayName.find(part) != std::string::npos) return true;
        }
        return false;
    };
    ASSERT_TRUE(eventually([&] { return connected("Test Keyboard"); }));
    EXPECT_FALSE(connected(midi::kVirtualSourceName));

    const std::uint8_t fromUs[] = {0x90, 0x30, 0x64};
    ownSource.send(fromUs, 3);
    const unsigned char on[] = {0x90, 0x3C, 0x64};
    const unsigned char off[] = {0x80, 0x3C, 0x00};
    keyboard.sendMessage(on, 3);
    keyboard.sendMessage(off, 3);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (notes.size() < 2 && std::chrono::steady_clock::now() < deadline) {
        main.pump();
        std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(50ms);
    main.pump();
    EXPECT_EQ(notes, (std::vector<std::pair<int, bool>>{{60, true}, {60, false}}));
}

}  // namespace
}  // namespace pulvan::link
