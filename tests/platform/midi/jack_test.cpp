#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/virtual_source.h"
#include "tests/platform/midi/message_recorder.h"

namespace pulvan::midi {
namespace {

using namespace std::chrono_literals;
using test::millisecondsFromNow;

constexpr Timestamp kMillisecond = 1'000'000;
// JACK hands MIDI on once a period (256 frames at 44.1 kHz: 5.8 ms); a cycle
// may run a period late while clients join and leave the graph.
constexpr Timestamp kLateness = 15 * kMillisecond;

// The peer program on a pipe; it ends by itself after the time it was given.
class Peer {
public:
    explicit Peer(const std::string& arguments)
        : pipe_(::popen((std::string(PULVAN_MIDI_JACK_PEER) + " " + arguments).c_str(), "r"), ::pclose) {}

    bool ready() { return !linesStartingWith("ready", 1).empty(); }

    // Reads on until `count` lines start with `prefix` or the peer ends.
    std::vector<std::string> linesStartingWith(const std::string& prefix, std::size_t count) {
        std::vector<std::string> found;
        char line[256];
        while (found.size() < count && pipe_ && std::fgets(line, sizeof line, pipe_.get())) {
            if (std::string_view(line).starts_with(prefix)) found.emplace_back(line);
        }
        return found;
    }

private:
    std::unique_ptr<FILE, int (*)(FILE*)> pipe_;
};

// A message line: "message <hex bytes> <monotonic ns>".
std::pair<std::string, Timestamp> parseMessage(const std::string& line) {
    std::istringstream in(line);
    std::string word, hex;
    Timestamp at = 0;
    in >> word >> hex >> at;
    return {hex, at};
}

std::optional<Endpoint> waitForDestination(const std::string& name) {
    for (int i = 0; i < 300; ++i) {
        for (const Endpoint& endpoint : destinations()) {
            if (endpoint.name == name) return endpoint;
        }
        std::this_thread::sleep_for(10ms);
    }
    return std::nullopt;
}

class JackTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
        ::setenv("JACK_NO_START_SERVER", "1", 1);  // the fixture's server or none
    }
};

TEST_F(JackTest, SendsToAnotherProgramOnTimeAndStillWhenItCameBackUnderTheSameName) {
    std::atomic<int> setupChanges = 0;
    Client client("PulvanStandaloneMIDIClient", [&] { ++setupChanges; });
    OutputPort port(client, "PulvanStandaloneMIDIPort");
    {
        Peer peer("destination 'Synth A In' 1000");
        ASSERT_TRUE(peer.ready());
        const auto synth = waitForDestination("Synth A In");
        ASSERT_TRUE(synth.has_value());
        EXPECT_EQ(synth->displayName, "Pulvan Test Peer Synth A In");

        std::vector<Timestamp> due;
        for (std::uint8_t i = 0; i < 4; ++i) {
            due.push_back(millisecondsFromNow(150 + 40 * i));
            port.send(*synth, std::vector<std::uint8_t>{0x90, static_cast<std::uint8_t>(0x3C + i), 0x64}, due.back());
        }
        const auto lines = peer.linesStartingWith("message", 4);
        ASSERT_EQ(lines.size(), 4u);
        for (std::size_t i = 0; i < 4; ++i) {
            const auto [hex, at] = parseMessage(lines[i]);
            EXPECT_EQ(hex, (std::vector<std::string>{"903C64", "903D64", "903E64", "903F64"})[i]);
            EXPECT_GE(at, due[i]) << "message " << i << " came early";
            EXPECT_LE(at, due[i] + kLateness) << "message " << i << " came late";
        }
        const auto isOurs = [](const Endpoint& e) { return e.name.starts_with("PulvanStandaloneMIDI"); };
        for (const auto& offered : {sources(), destinations()}) {
            EXPECT_TRUE(std::none_of(offered.begin(), offered.end(), isOurs)) << "our own port is on offer";
        }
        EXPECT_GE(setupChanges.load(), 1) << "the peer's destination came without a notification";
    }  // waits for the peer to end
    Peer second("destination 'Synth A In' 1500");
    ASSERT_TRUE(second.ready());
    port.send(waitForDestination("Synth A In").value(), std::vector<std::uint8_t>{0x80, 0x3C, 0x00});
    const auto lines = second.linesStartingWith("message", 1);
    ASSERT_EQ(lines.size(), 1u) << "the note-off went to the old connection";
    EXPECT_EQ(parseMessage(lines[0]).first, "803C00");
}

TEST_F(JackTest, AnotherProgramFindsTheSharedSourceByItsIdentifierAndHearsItOnTime) {
    SharedVirtualSource source;
    ASSERT_TRUE(source.isOpen());
    Peer peer("listen-shared-source 1500");
    ASSERT_TRUE(peer.ready());
    const Timestamp due = millisecondsFromNow(100);
    const std::uint8_t noteOn[] = {0x91, 0x40, 0x50};
    const std::uint8_t noteOff[] = {0x81, 0x40, 0x00};
    ASSERT_TRUE(source.send(noteOff, 3, due + 50 * kMillisecond));
    ASSERT_TRUE(source.send(noteOn, 3, due));
    // Other tests' plug-ins may share the JACK server and have their own source.
    const auto lines = peer.linesStartingWith("message 91", 1);
    ASSERT_EQ(lines.size(), 1u) << "the other program did not find the source by its identifier";
    const auto [hex, at] = parseMessage(lines[0]);
    EXPECT_EQ(hex, "914050");
    EXPECT_GE(at, due);
    EXPECT_LE(at, due + kLateness);
    const auto offs = peer.linesStartingWith("message 81", 1);
    ASSERT_EQ(offs.size(), 1u);
    EXPECT_GE(parseMessage(offs[0]).second, due + 50 * kMillisecond);
}

}  // namespace
}  // namespace pulvan::midi
