#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/loopback_backend.h"
#include "platform/midi/virtual_source.h"

namespace pulvan::midi {
namespace {

using namespace std::chrono_literals;

// Waits up to two seconds for the count to reach `expected`, then a little
// longer to see that it stays there.
int settledCount(const std::atomic<int>& count, int expected) {
    for (int i = 0; i < 2000 && count.load() < expected; ++i) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(250ms);
    return count.load();
}

class SetupNotificationTest : public ::testing::Test {
protected:
    std::shared_ptr<LoopbackBackend> backend = std::make_shared<LoopbackBackend>();
    ScopedBackend installed{backend};
    std::atomic<int> notifications = 0;
    Client client{"Watcher", [this] { ++notifications; }};
};

struct ChangeCase {
    const char* name;
    void (*change)(LoopbackBackend&);
};

class SetupChangeTest : public SetupNotificationTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(SetupChangeTest, NotifiesOncePerChange) {
    GetParam().change(*backend);
    EXPECT_EQ(settledCount(notifications, 1), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, SetupChangeTest,
    ::testing::Values(
        ChangeCase{"sourceAdded", [](LoopbackBackend& b) { b.addSource("Keyboard", "Keys"); }},
        ChangeCase{"destinationAdded", [](LoopbackBackend& b) { b.addDestination("Synth", "In", {}); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupNotificationTest, RemovingAnEndpointNotifiesToo) {
    const std::string address = backend->addSource("Keyboard", "Keys");
    ASSERT_EQ(settledCount(notifications, 1), 1);
    backend->removeEndpoint(address);
    EXPECT_EQ(settledCount(notifications, 2), 2);
}

TEST_F(SetupNotificationTest, OurOwnPortsChangeNothingButTheSharedSourceDoes) {
    {
        Client other("PulvanStandaloneMIDIClient");
        OutputPort output(other, "PulvanStandaloneMIDIPort");
        InputPort input(other, "PulvanStandaloneMIDIInPort", [](std::span<const std::uint8_t>, Timestamp) {});
        EXPECT_EQ(settledCount(notifications, 1), 0);
    }
    SharedVirtualSource source;
    ASSERT_TRUE(source.isOpen());
    EXPECT_EQ(settledCount(notifications, 1), 1);
}

TEST_F(SetupNotificationTest, TheCallbackMayReconnectSources) {
    std::atomic<int> delivered = 0;
    InputPort port(client, "In", [&](std::span<const std::uint8_t>, Timestamp) { ++delivered; });
    std::atomic<int> reconnects = 0;
    Client reconnecting("Reconnecting", [&] {
        for (const auto& source : sources()) port.connectSource(source);
        ++reconnects;
    });
    const std::string keyboard = backend->addSource("Keyboard", "Keys");
    ASSERT_EQ(settledCount(reconnects, 1), 1);
    backend->sendFromSource(keyboard, std::vector<std::uint8_t>{0x90, 60, 100});
    EXPECT_EQ(settledCount(delivered, 1), 1);
}

TEST_F(SetupNotificationTest, NoCallbackOnceTheClientIsGone) {
    std::atomic<int> late = 0;
    auto gone = std::make_unique<Client>("Gone", [&] { ++late; });
    gone.reset();
    backend->addSource("Keyboard", "Keys");
    EXPECT_EQ(settledCount(notifications, 1), 1);
    EXPECT_EQ(late.load(), 0);
}

}  // namespace
}  // namespace pulvan::midi
