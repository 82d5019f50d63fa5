#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/loopback_backend.h"
#include "tests/platform/midi/message_recorder.h"

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
                         ::testing::Values(OrderCase{"ascending", {0, 20, 40}, {0, 1, 2}},
                                           OrderCase{"descending", {40, 20, 0}, {2, 1, 0}},
                                           OrderCase{"ties", {5, 5, 5, 5}, {0, 1, 2, 3}},
                                           OrderCase{"nowOvertakesLater", {10, -1, 0}, {1, 2, 0}},
                                           OrderCase{"tiesAmongOthers", {8, 2, 8, 2}, {1, 3, 0, 2}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortsTest, DestroyingAnOutputPortSendsWhatWaitsAtOnceSoNoNoteHangs) {
    auto port = std::make_unique<OutputPort>(client, "PulvanStandaloneMIDIPort");
    port->send(synthIn, std::vector<std::uint8_t>{0x90, 60, 100}, millisecondsFromNow(10'000));
    port->send(synthIn, std::vector<std::uint8_t>{0x80, 60, 0}, millisecondsFromNow(20'000));
    EXPECT_FALSE(port->send(synthIn, std::span<const std::uint8_t>()));
    port.reset();
    const auto received = synth.waitFor(2, 0ms);  // the destructor delivered them
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].bytes[0], 0x90);
    EXPECT_EQ(received[1].bytes[0], 0x80);
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
