#include <gtest/gtest.h>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/loopback_backend.h"
#include "tests/platform/midi/message_recorder.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace pulvan::midi {
namespace {

using namespace std::chrono_literals;
using test::MessageRecorder;
using test::millisecondsFromNow;

constexpr Timestamp kMillisecond = 1'000'000;
// How late a timed message may come on a loaded test machine (sanitizers,
// parallel tests); it must never be early.
constexpr Timestamp kLateness = 20 * kMillisecond;

class PortsTest : public ::testing::Test {
protected:
    std::shared_ptr<LoopbackBackend> backend = std::make_shared<LoopbackBackend>();
    ScopedBackend installed{backend};
    MessageRecorder synth;
    Endpoint synthIn{backend->addDestination("Synth", "MIDI In", synth.handler()), "MIDI In", "Synth MIDI In", 1};
    Endpoint keyboard{backend->addSource("Keyboard", "Keys"), "Keys", "Keyboard Keys", 2};
    Client client{"PulvanStandaloneMIDIClient"};
};

struct OrderCase {
    const char* name;
    std::vector<std::int64_t> offsetsMs;  // in send order; -1 sends now
    std::vector<std::uint8_t> expectedOrder;
};

void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }

class TimedSendTest : public PortsTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(TimedSendTest, LeavesOnTimeInTimestampOrderTiesInSendOrder) {
    const OrderCase& c = GetParam();
    OutputPort port(client, "PulvanStandaloneMIDIPort");
    const Timestamp base = millisecondsFromNow(40);
    std::vector<Timestamp> due;
    for (std::size_t i = 0; i < c.offsetsMs.size(); ++i) {
        const Timestamp at = c.offsetsMs[i] < 0 ? kSendNow : base + static_cast<Timestamp>(c.offsetsMs[i]) * kMillisecond;
        due.push_back(at == kSendNow ? now() : at);
        ASSERT_TRUE(port.send(synthIn, std::vector<std::uint8_t>{0xB0, 1, static_cast<std::uint8_t>(i)}, at));
    }
    const auto received = synth.waitFor(c.offsetsMs.size());
    ASSERT_EQ(received.size(), c.offsetsMs.size());
    for (std::size_t i = 0; i < received.size(); ++i) {
        const std::uint8_t sent = received[i].bytes[2];
        EXPECT_EQ(sent, c.expectedOrder[i]) << "position " << i;
        EXPECT_GE(received[i].receivedAt, due[sent]) << "message " << int(sent) << " came early";
        EXPECT_LE(received[i].receivedAt, due[sent] + kLateness) << "message " << int(sent) << " came late";
        EXPECT_NE(received[i].thread, std::this_thread::get_id());
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, TimedSendTest,
                         ::testing::Values(OrderCase{"ascending", {0, 20, 40}, {0, 1, 2}}, OrderCase{"descending", {40, 20, 0}, {2, 1, 0}},
                                           OrderCase{"ties", {5, 5, 5, 5}, {0, 1, 2, 3}},
                                           OrderCase{"nowOvertakesLater", {10, -1, 0}, {1, 2, 0}},
                                           OrderCase{"tiesAmongOthers", {8, 2, 8, 2}, {1, 3, 0, 2}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct SilenceCase {
    const char* name;
    std::vector<std::pair<std::int64_t, std::vector<std::uint8_t>>> sent;  // ms from now (-1: now), message
    bool destroyPort;                                                      // instead of silencing it
    std::vector<std::vector<std::uint8_t>> expected;                       // everything that ever arrives, in order
};

void PrintTo(const SilenceCase& c, std::ostream* os) { *os << c.name; }

class SilenceTest : public PortsTest, public ::testing::WithParamInterface<SilenceCase> {};

TEST_P(SilenceTest, NothingWaitingSoundsAfterwardsAndWhatSoundedEnds) {
    const SilenceCase& c = GetParam();
    auto port = std::make_unique<OutputPort>(client, "PulvanStandaloneMIDIPort");
    for (const auto& [ms, bytes] : c.sent) port->send(synthIn, bytes, ms < 0 ? kSendNow : millisecondsFromNow(ms));
    synth.waitFor(std::count_if(c.sent.begin(), c.sent.end(), [](const auto& s) { return s.first < 0; }));
    if (c.destroyPort) {
        port.reset();
    } else {
        port->silence();
        port->send(synthIn, std::vector<std::uint8_t>{0xB0, 1, 2});  // after the silence: kept
    }
    std::this_thread::sleep_for(150ms);  // past every timestamp sent
    std::vector<std::vector<std::uint8_t>> arrived;
    for (const auto& message : synth.waitFor(0, 0ms)) arrived.push_back(message.bytes);
    auto expected = c.expected;
    if (!c.destroyPort) expected.push_back({0xB0, 1, 2});
    EXPECT_EQ(arrived, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Stops, SilenceTest,
    ::testing::Values(
        SilenceCase{"soundingNoteEndsAndItsLateOffIsDropped",
                    {{-1, {0x91, 60, 100}}, {100, {0x81, 60, 0}}},
                    false,
                    {{0x91, 60, 100}, {0x81, 60, 0}}},
        SilenceCase{"noteRenderedAheadNeverSounds", {{100, {0x90, 62, 100}}, {120, {0x80, 62, 0}}}, false, {}},
        SilenceCase{"endedNoteIsNotEndedAgain", {{-1, {0x90, 64, 100}}, {-1, {0x90, 64, 0}}}, false, {{0x90, 64, 100}, {0x90, 64, 0}}},
        SilenceCase{"destroyedPortEndsWhatSounded",
                    {{-1, {0x90, 60, 100}}, {-1, {0x90, 67, 90}}, {100, {0x90, 72, 80}}},
                    true,
                    {{0x90, 60, 100}, {0x90, 67, 90}, {0x80, 60, 0}, {0x80, 67, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortsTest, AMessageOfWrongLengthIsRefused) {
    OutputPort port(client, "PulvanStandaloneMIDIPort");
    EXPECT_FALSE(port.send(synthIn, std::span<const std::uint8_t>()));
    EXPECT_FALSE(port.send(synthIn, std::vector<std::uint8_t>{0xF0, 1, 2, 0xF7}));
}

TEST_F(PortsTest, AnInputPortHandsRawBytesToItsCallbackOnTheLayersThreadUntilDisconnected) {
    MessageRecorder received;
    InputPort port(client, "PulvanStandaloneMIDIInPort", received.handler());
    ASSERT_TRUE(port.connectSource(keyboard));
    ASSERT_TRUE(port.connectSource(keyboard));  // twice is harmless
    EXPECT_FALSE(port.connectSource(Endpoint{"Nobody:Nothing", "Nothing", "Nobody Nothing", 5}));
    const std::vector<std::vector<std::uint8_t>> played{{0x90, 0x3C, 0x64}, {0xF8}, {0xF0, 0x7E, 0x7F, 0xF7}};
    const Timestamp before = now();
    for (const auto& bytes : played) backend->sendFromSource(keyboard.address, bytes);
    const auto messages = received.waitFor(played.size());
    ASSERT_EQ(messages.size(), played.size()) << "each message once, in order";
    for (std::size_t i = 0; i < played.size(); ++i) EXPECT_EQ(messages[i].bytes, played[i]);
    EXPECT_GE(messages[0].receivedAt, before);
    EXPECT_NE(messages[0].thread, std::this_thread::get_id());

    port.disconnectSource(keyboard);
    backend->sendFromSource(keyboard.address, played[0]);
    EXPECT_EQ(received.waitFor(played.size() + 1, 50ms).size(), played.size());
}

TEST_F(PortsTest, NoInputCallbackRunsOnceThePortIsGoneNotEvenWhenItDestroysItself) {
    std::atomic<bool> stopPlaying = false;
    std::thread player([&] {
        while (!stopPlaying) backend->sendFromSource(keyboard.address, std::vector<std::uint8_t>{0x90, 60, 1});
    });
    for (int round = 0; round < 20; ++round) {
        auto alive = std::make_shared<std::atomic<bool>>(true);
        auto port = std::make_unique<InputPort>(client, "In", [alive](std::span<const std::uint8_t>, Timestamp) {
            EXPECT_TRUE(alive->load()) << "callback ran after the port was destroyed";
        });
        port->connectSource(keyboard);
        std::this_thread::sleep_for(2ms);
        port.reset();
        alive->store(false);
    }
    std::atomic<int> calls = 0;
    std::atomic<bool> destroyed = false;
    std::unique_ptr<InputPort> port = std::make_unique<InputPort>(client, "In", [&](std::span<const std::uint8_t>, Timestamp) {
        ++calls;
        port.reset();
        destroyed = true;
    });
    port->connectSource(keyboard);
    for (int i = 0; i < 3000 && !destroyed; ++i) std::this_thread::sleep_for(1ms);
    stopPlaying = true;
    player.join();
    ASSERT_TRUE(destroyed.load());
    EXPECT_EQ(calls.load(), 1);
}

TEST_F(PortsTest, SetupChangesAreNotifiedOnceEachButOurOwnPortsAreNoChange) {
    std::atomic<int> notifications = 0;
    auto watcher = std::make_unique<Client>("Watcher", [&] { ++notifications; });
    auto settled = [&](int expected) {
        for (int i = 0; i < 2000 && notifications < expected; ++i) std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(250ms);  // and stays there
        return notifications.load();
    };
    {
        OutputPort output(client, "PulvanStandaloneMIDIPort");
        InputPort input(client, "PulvanStandaloneMIDIInPort", [](std::span<const std::uint8_t>, Timestamp) {});
        EXPECT_EQ(settled(1), 0);
    }
    const std::string pads = backend->addSource("Pads", "Out");
    EXPECT_EQ(settled(1), 1);
    backend->removeEndpoint(pads);
    EXPECT_EQ(settled(2), 2);
    watcher.reset();
    backend->addDestination("Late", "In", {});
    EXPECT_EQ(settled(3), 2) << "a destroyed client was notified";
    const auto listed = destinations();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].displayName, "Synth MIDI In");
}

}  // namespace
}  // namespace pulvan::midi
