#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/virtual_source.h"
#include "tests/platform/midi/message_recorder.h"
#include "tests/platform/midi/peer_process.h"

namespace pulvan::midi {
namespace {

using namespace std::chrono_literals;
using test::MessageRecorder;
using test::millisecondsFromNow;
using test::PeerProcess;

constexpr Timestamp kMillisecond = 1'000'000;
// JACK hands MIDI on once a period (256 frames at 44.1 kHz: 5.8 ms); while
// other tests' clients join and leave the graph a cycle may run a period late.
constexpr Timestamp kLateness = 15 * kMillisecond;

struct PeerMessage {
    std::string hex;
    Timestamp receivedAt = 0;
};

PeerMessage parseMessage(const std::string& line) {
    std::istringstream in(line);
    std::string word;
    PeerMessage message;
    in >> word >> message.hex >> message.receivedAt;
    return message;
}

std::optional<Endpoint> waitForEndpoint(bool source, const std::string& name) {
    for (int i = 0; i < 300; ++i) {
        const auto all = source ? sources() : destinations();
        const auto found = std::find_if(all.begin(), all.end(), [&](const Endpoint& e) { return e.name == name; });
        if (found != all.end()) return *found;
        std::this_thread::sleep_for(10ms);
    }
    return std::nullopt;
}

bool listsAny(const std::vector<Endpoint>& endpoints, std::initializer_list<const char*> names) {
    return std::any_of(endpoints.begin(), endpoints.end(), [&](const Endpoint& e) {
        return std::any_of(names.begin(), names.end(), [&](const char* name) { return e.name == name; });
    });
}

class JackTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
        ::setenv("JACK_NO_START_SERVER", "1", 1);  // the fixture's server or none
    }

    static std::unique_ptr<PeerProcess> startPeer(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), PULVAN_MIDI_JACK_PEER);
        auto peer = std::make_unique<PeerProcess>(arguments);
        return peer->waitForLine("ready", 5s) ? std::move(peer) : nullptr;
    }
};

TEST_F(JackTest, SendsToAnotherProgramOnTimeAndTellsOfItsArrival) {
    std::atomic<int> setupChanges = 0;
    Client client("PulvanStandaloneMIDIClient", [&] { ++setupChanges; });
    OutputPort port(client, "PulvanStandaloneMIDIPort");

    auto peer = startPeer({"destination", "Synth A In", "4000"});
    ASSERT_TRUE(peer);
    const auto synth = waitForEndpoint(false, "Synth A In");
    ASSERT_TRUE(synth.has_value());
    EXPECT_EQ(synth->displayName, "Pulvan Test Peer Synth A In");

    std::vector<Timestamp> due;
    for (int i = 0; i < 4; ++i) {
        due.push_back(millisecondsFromNow(150 + 40 * i));
        port.send(*synth, std::vector<std::uint8_t>{0x90, static_cast<std::uint8_t>(0x3C + i), 0x64}, due.back());
    }
    const auto lines = peer->waitForLines("message", 4, 3s);
    ASSERT_EQ(lines.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const PeerMessage message = parseMessage(lines[i]);
        EXPECT_EQ(message.hex, (std::vector<std::string>{"903C64", "903D64", "903E64", "903F64"})[i]);
        EXPECT_GE(message.receivedAt, due[i]) << "message " << i << " came early";
        EXPECT_LE(message.receivedAt, due[i] + kLateness) << "message " << i << " came late";
    }
    EXPECT_FALSE(listsAny(destinations(), {"PulvanStandaloneMIDIPort"})) << "our own port is offered as a destination";
    EXPECT_FALSE(listsAny(sources(), {"PulvanStandaloneMIDIPort"})) << "our own port is offered as a source";
    for (int i = 0; i < 300 && setupChanges == 0; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_GE(setupChanges.load(), 1) << "the peer's destination appeared without a notification";
}

TEST_F(JackTest, ReceivesFromAnotherProgram) {
    MessageRecorder received;
    Client client("PulvanStandaloneMIDIInClient");
    InputPort port(client, "PulvanStandaloneMIDIInPort",
                   [&](std::span<const std::uint8_t> bytes, Timestamp at) { received.record(bytes, at); });
    auto peer = startPeer({"source", "Pulvan Test Keys", "3000"});
    ASSERT_TRUE(peer);
    const auto keys = waitForEndpoint(true, "Pulvan Test Keys");
    ASSERT_TRUE(keys.has_value());
    ASSERT_TRUE(port.connectSource(*keys));

    const auto messages = received.waitFor(5, 3s);
    ASSERT_GE(messages.size(), 5u);
    for (std::size_t i = 1; i < messages.size(); ++i) {
        ASSERT_EQ(messages[i].bytes.size(), 3u);
        EXPECT_EQ(messages[i].bytes[0], 0x90);
        EXPECT_EQ(messages[i].bytes[1], 0x3C);
        EXPECT_EQ(messages[i].bytes[2], messages[i - 1].bytes[2] % 127 + 1) << "a message was lost or reordered";
        EXPECT_GT(messages[i].receivedAt, messages[i - 1].receivedAt);
    }
    EXPECT_FALSE(listsAny(destinations(), {"PulvanStandaloneMIDIInPort"})) << "our own input is offered as a destination";
}

TEST_F(JackTest, AnotherProgramFindsTheSharedSourceByItsIdentifierAndHearsIt) {
    SharedVirtualSource source;
    ASSERT_TRUE(source.isOpen());
    auto peer = startPeer({"listen-shared-source", "3000"});
    ASSERT_TRUE(peer);
    EXPECT_EQ(peer->waitForLine("found", 0ms).value_or(""),
              "found Kez Virtual Port|Kez Virtual Port|" + std::to_string(kVirtualSourceUniqueId));

    const Timestamp due = millisecondsFromNow(100);
    const std::uint8_t noteOn[] = {0x91, 0x40, 0x50};
    const std::uint8_t noteOff[] = {0x81, 0x40, 0x00};
    ASSERT_TRUE(source.send(noteOff, 3, due + 50 * kMillisecond));
    ASSERT_TRUE(source.send(noteOn, 3, due));
    // Other tests' plug-ins may share the JACK server and their own source of this name.
    const auto noteOns = peer->waitForLines("message 914050 ", 1, 3s);
    const auto noteOffs = peer->waitForLines("message 814000 ", 1, 3s);
    ASSERT_EQ(noteOns.size(), 1u);
    ASSERT_EQ(noteOffs.size(), 1u);
    const PeerMessage first = parseMessage(noteOns[0]);
    const PeerMessage second = parseMessage(noteOffs[0]);
    EXPECT_GE(first.receivedAt, due);
    EXPECT_LE(first.receivedAt, due + kLateness);
    EXPECT_GE(second.receivedAt, due + 50 * kMillisecond);
}

TEST_F(JackTest, ADestinationThatCameBackUnderTheSameNameStillReceives) {
    Client client("PulvanStandaloneMIDIClient");
    OutputPort port(client, "PulvanStandaloneMIDIPort");
    {
        auto first = startPeer({"destination", "Synth B In", "600"});
        ASSERT_TRUE(first);
        const auto synth = waitForEndpoint(false, "Synth B In");
        ASSERT_TRUE(synth.has_value());
        port.send(*synth, std::vector<std::uint8_t>{0x90, 0x3C, 0x64});
        ASSERT_TRUE(first->waitForLine("message", 2s));
        first->wait();
    }
    auto second = startPeer({"destination", "Synth B In", "3000"});
    ASSERT_TRUE(second);
    const auto synth = waitForEndpoint(false, "Synth B In");
    ASSERT_TRUE(synth.has_value());
    port.send(*synth, std::vector<std::uint8_t>{0x80, 0x3C, 0x00});
    const auto line = second->waitForLine("message", 2s);
    ASSERT_TRUE(line.has_value()) << "the note-off went to the old connection";
    EXPECT_EQ(parseMessage(*line).hex, "803C00");
}

}  // namespace
}  // namespace pulvan::midi
