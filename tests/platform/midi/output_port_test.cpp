#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/loopback_backend.h"
#include "tests/platform/midi/message_recorder.h"

namespace pulvan::midi {
namespace {

using test::MessageRecorder;
using test::millisecondsFromNow;

constexpr Timestamp kMillisecond = 1'000'000;
// How late a timed message may arrive on a loaded test machine; it must never be early.
constexpr Timestamp kLateness = 10 * kMillisecond;

class OutputPortTest : public ::testing::Test {
protected:
    std::shared_ptr<LoopbackBackend> backend = std::make_shared<LoopbackBackend>();
    ScopedBackend installed{backend};
    MessageRecorder synth;
    std::string synthAddress = backend->addDestination(
        "Synth", "MIDI In", [this](std::span<const std::uint8_t> bytes, Timestamp at) { synth.record(bytes, at); });
    Client client{"PulvanStandaloneMIDIClient"};
    OutputPort port{client, "PulvanStandaloneMIDIPort"};

    Endpoint synthEndpoint() {
        for (const auto& endpoint : destinations()) {
            if (endpoint.address == synthAddress) return endpoint;
        }
        ADD_FAILURE() << "the synth is not listed";
        return {};
    }
};

TEST_F(OutputPortTest, SendsNowOnTheLayersThread) {
    const std::vector<std::uint8_t> noteOn{0x90, 60, 100};
    ASSERT_TRUE(port.send(synthEndpoint(), noteOn));
    const auto received = synth.waitFor(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].bytes, noteOn);
    EXPECT_NE(received[0].thread, std::this_thread::get_id());
}

TEST_F(OutputPortTest, TimedMessagesArriveOnTimeNeverEarly) {
    const Endpoint destination = synthEndpoint();
    std::vector<Timestamp> due;
    for (std::uint8_t i = 0; i < 5; ++i) {
        due.push_back(millisecondsFromNow(30 + 20 * i));
        port.send(destination, std::vector<std::uint8_t>{0x90, static_cast<std::uint8_t>(60 + i), 100}, due.back());
    }
    const auto received = synth.waitFor(5);
    ASSERT_EQ(received.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(received[i].bytes[1], 60 + i);
        EXPECT_GE(received[i].receivedAt, due[i]) << "message " << i << " came early";
        EXPECT_LE(received[i].receivedAt, due[i] + kLateness) << "message " << i << " came late";
    }
}

struct OrderCase {
    const char* name;
    std::vector<std::int64_t> offsetsMs;  // send order; -1 sends now
    std::vector<std::uint8_t> expectedOrder;
};

class OutputOrderTest : public OutputPortTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(OutputOrderTest, LeaveInTimestampOrderTiesInSendOrder) {
    const OrderCase& c = GetParam();
    const Endpoint destination = synthEndpoint();
    const Timestamp base = millisecondsFromNow(40);
    for (std::size_t i = 0; i < c.offsetsMs.size(); ++i) {
        const Timestamp at = c.offsetsMs[i] < 0 ? kSendNow : base + static_cast<Timestamp>(c.offsetsMs[i]) * kMillisecond;
        port.send(destination, std::vector<std::uint8_t>{0xB0, 1, static_cast<std::uint8_t>(i)}, at);
    }
    const auto received = synth.waitFor(c.offsetsMs.size());
    std::vector<std::uint8_t> order;
    for (const auto& message : received) order.push_back(message.bytes[2]);
    EXPECT_EQ(order, c.expectedOrder);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, OutputOrderTest,
    ::testing::Values(OrderCase{"ascending", {0, 5, 10}, {0, 1, 2}},
                      OrderCase{"descending", {10, 5, 0}, {2, 1, 0}},
                      OrderCase{"ties", {5, 5, 5, 5}, {0, 1, 2, 3}},
                      OrderCase{"nowOvertakesLater", {10, -1, 0}, {1, 2, 0}},
                      OrderCase{"tiesAmongOthers", {8, 2, 8, 2}, {1, 3, 0, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutputPortTest, DestroyingThePortSendsWhatWaitsAtOnceSoNoNoteHangs) {
    const Endpoint destination = synthEndpoint();
    auto early = std::make_unique<OutputPort>(client, "Early");
    early->send(destination, std::vector<std::uint8_t>{0x90, 60, 100}, millisecondsFromNow(10'000));
    early->send(destination, std::vector<std::uint8_t>{0x80, 60, 0}, millisecondsFromNow(20'000));
    early.reset();
    const auto received = synth.messages();  // already in: the destructor delivered them
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].bytes[0], 0x90);
    EXPECT_EQ(received[1].bytes[0], 0x80);
}

TEST_F(OutputPortTest, RefusesAnEmptyMessage) {
    EXPECT_FALSE(port.send(synthEndpoint(), std::span<const std::uint8_t>()));
}

TEST_F(OutputPortTest, AGoneDestinationDropsTheMessageAndOthersStillArrive) {
    MessageRecorder other;
    const std::string otherAddress = backend->addDestination(
        "Other", "In", [&other](std::span<const std::uint8_t> bytes, Timestamp at) { other.record(bytes, at); });
    Endpoint gone = synthEndpoint();
    backend->removeEndpoint(gone.address);
    port.send(gone, std::vector<std::uint8_t>{0x90, 1, 1});
    port.send(Endpoint{otherAddress, "In", "Other In", 1}, std::vector<std::uint8_t>{0x90, 2, 2});
    ASSERT_EQ(other.waitFor(1).size(), 1u);
    EXPECT_TRUE(synth.messages().empty());
}

TEST_F(OutputPortTest, SendsToSeveralDestinationsThroughOnePort) {
    MessageRecorder session;
    const std::string sessionAddress = backend->addDestination(
        "DAW", "Session 1", [&session](std::span<const std::uint8_t> bytes, Timestamp at) { session.record(bytes, at); });
    const Endpoint synthDestination = synthEndpoint();
    for (std::uint8_t i = 0; i < 6; ++i) {
        const Endpoint& target = i % 2 == 0 ? synthDestination : Endpoint{sessionAddress, "Session 1", "DAW Session 1", 2};
        port.send(target, std::vector<std::uint8_t>{0x90, i, 100});
    }
    ASSERT_EQ(synth.waitFor(3).size(), 3u);
    ASSERT_EQ(session.waitFor(3).size(), 3u);
    EXPECT_EQ(session.messages()[2].bytes[1], 5);
}

}  // namespace
}  // namespace pulvan::midi
