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

using test::MessageRecorder;

class InputPortTest : public ::testing::Test {
protected:
    std::shared_ptr<LoopbackBackend> backend = std::make_shared<LoopbackBackend>();
    ScopedBackend installed{backend};
    std::string keyboard = backend->addSource("Keyboard", "Keys");
    Client client{"PulvanStandaloneMIDIInClient"};
    MessageRecorder received;
    InputPort port{client, "PulvanStandaloneMIDIInPort",
                   [this](std::span<const std::uint8_t> bytes, Timestamp at) { received.record(bytes, at); }};

    static Endpoint find(const std::string& address) {
        for (const auto& endpoint : sources()) {
            if (endpoint.address == address) return endpoint;
        }
        return Endpoint{address, "", "", 0};
    }

    void play(std::vector<std::uint8_t> bytes) { backend->sendFromSource(keyboard, bytes); }
};

TEST_F(InputPortTest, DeliversRawBytesWithArrivalTimeOnTheLayersThread) {
    ASSERT_TRUE(port.connectSource(find(keyboard)));
    const Timestamp before = now();
    play({0x90, 0x3C, 0x64});
    play({0xF8});
    play({0xF0, 0x7E, 0x7F, 0xF7});
    const auto messages = received.waitFor(3);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].bytes, (std::vector<std::uint8_t>{0x90, 0x3C, 0x64}));
    EXPECT_EQ(messages[1].bytes, (std::vector<std::uint8_t>{0xF8}));
    EXPECT_EQ(messages[2].bytes, (std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0xF7}));
    EXPECT_GE(messages[0].receivedAt, before);
    EXPECT_LE(messages[0].receivedAt, messages[2].receivedAt);
    EXPECT_NE(messages[0].thread, std::this_thread::get_id());
}

TEST_F(InputPortTest, ConnectingTwiceDeliversOnce) {
    ASSERT_TRUE(port.connectSource(find(keyboard)));
    ASSERT_TRUE(port.connectSource(find(keyboard)));
    EXPECT_EQ(backend->connectionCount(keyboard), 1u);
    play({0x90, 1, 1});
    play({0x90, 2, 2});
    ASSERT_EQ(received.waitFor(2).size(), 2u);
    EXPECT_EQ(received.waitFor(3, std::chrono::milliseconds(50)).size(), 2u);
}

TEST_F(InputPortTest, DisconnectStopsDeliveryAndAMissingSourceIsRefused) {
    ASSERT_TRUE(port.connectSource(find(keyboard)));
    port.disconnectSource(find(keyboard));
    EXPECT_EQ(backend->connectionCount(keyboard), 0u);
    play({0x90, 1, 1});
    EXPECT_FALSE(port.connectSource(Endpoint{"Nobody:Nothing", "Nothing", "Nobody Nothing", 5}));
    EXPECT_TRUE(received.waitFor(1, std::chrono::milliseconds(50)).empty());
}

TEST_F(InputPortTest, SeveralSourcesFeedOnePort) {
    const std::string pads = backend->addSource("Pads", "Out");
    ASSERT_TRUE(port.connectSource(find(keyboard)));
    ASSERT_TRUE(port.connectSource(find(pads)));
    play({0x90, 1, 1});
    backend->sendFromSource(pads, std::vector<std::uint8_t>{0x91, 2, 2});
    const auto messages = received.waitFor(2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].bytes[0], 0x91);
}

TEST(InputPortLifetime, NoCallbackRunsOnceThePortIsGone) {
    auto backend = std::make_shared<LoopbackBackend>();
    ScopedBackend installed(backend);
    const std::string source = backend->addSource("Keyboard", "Keys");
    Client client("Listener");
    std::atomic<bool> stopSending = false;
    std::thread player([&] {
        while (!stopSending) backend->sendFromSource(source, std::vector<std::uint8_t>{0x90, 60, 1});
    });
    for (int round = 0; round < 20; ++round) {
        auto alive = std::make_shared<std::atomic<bool>>(true);
        auto port = std::make_unique<InputPort>(client, "In", [alive](std::span<const std::uint8_t>, Timestamp) {
            EXPECT_TRUE(alive->load()) << "callback ran after the port was destroyed";
        });
        port->connectSource(Endpoint{source, "Keys", "Keyboard Keys", 1});
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        port.reset();
        alive->store(false);
    }
    stopSending = true;
    player.join();
}

TEST(InputPortLifetime, APortMayBeDestroyedFromItsOwnCallback) {
    auto backend = std::make_shared<LoopbackBackend>();
    ScopedBackend installed(backend);
    const std::string source = backend->addSource("Keyboard", "Keys");
    Client client("Listener");
    std::atomic<int> calls = 0;
    std::atomic<bool> destroyed = false;
    std::unique_ptr<InputPort> port;
    port = std::make_unique<InputPort>(client, "In", [&](std::span<const std::uint8_t>, Timestamp) {
        ++calls;
        port.reset();
        destroyed = true;
    });
    port->connectSource(Endpoint{source, "Keys", "Keyboard Keys", 1});
    backend->sendFromSource(source, std::vector<std::uint8_t>{0x90, 60, 1});
    backend->sendFromSource(source, std::vector<std::uint8_t>{0x90, 61, 1});
    for (int i = 0; i < 3000 && !destroyed; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(destroyed.load());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(calls.load(), 1);
}

}  // namespace
}  // namespace pulvan::midi
