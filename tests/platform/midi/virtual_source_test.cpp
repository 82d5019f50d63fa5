#include "platform/midi/virtual_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/loopback_backend.h"
#include "tests/platform/midi/message_recorder.h"
#include "tests/support/allocation_counter.h"

namespace pulvan::midi {
namespace {

using test::MessageRecorder;
using test::millisecondsFromNow;

std::optional<Endpoint> listedVirtualSource() {
    const auto all = sources();
    const auto found = std::find_if(all.begin(), all.end(),
                                     [](const Endpoint& e) { return e.uniqueId == kVirtualSourceUniqueId; });
    if (found == all.end()) return std::nullopt;
    return *found;
}

std::size_t listedVirtualSourceCount() {
    const auto all = sources();
    return static_cast<std::size_t>(
        std::count_if(all.begin(), all.end(), [](const Endpoint& e) { return e.name == kVirtualSourceName; }));
}

class VirtualSourceTest : public ::testing::Test {
protected:
    std::shared_ptr<LoopbackBackend> backend = std::make_shared<LoopbackBackend>();
    ScopedBackend installed{backend};
    Client client{"Listener"};
    MessageRecorder received;
    InputPort input{client, "In", [this](std::span<const std::uint8_t> bytes, Timestamp at) { received.record(bytes, at); }};

    void listen() {
        const auto source = listedVirtualSource();
        ASSERT_TRUE(source.has_value());
        ASSERT_TRUE(input.connectSource(*source));
    }
};

TEST_F(VirtualSourceTest, OneEndpointForAllHoldersClosedByTheLast) {
    EXPECT_EQ(SharedVirtualSource::holderCount(), 0u);
    auto first = std::make_unique<SharedVirtualSource>();
    auto second = std::make_unique<SharedVirtualSource>();
    ASSERT_TRUE(first->isOpen());
    ASSERT_TRUE(second->isOpen());
    EXPECT_EQ(SharedVirtualSource::holderCount(), 2u);
    EXPECT_EQ(listedVirtualSourceCount(), 1u);

    const auto endpoint = listedVirtualSource();
    ASSERT_TRUE(endpoint.has_value());
    EXPECT_EQ(endpoint->name, "Kez Virtual Port");
    EXPECT_EQ(endpoint->displayName, "Kez Virtual Port");

    first.reset();
    EXPECT_EQ(SharedVirtualSource::holderCount(), 1u);
    EXPECT_EQ(listedVirtualSourceCount(), 1u);
    second.reset();
    EXPECT_EQ(SharedVirtualSource::holderCount(), 0u);
    EXPECT_EQ(listedVirtualSourceCount(), 0u);

    SharedVirtualSource reopened;
    EXPECT_TRUE(reopened.isOpen());
    EXPECT_EQ(listedVirtualSourceCount(), 1u);
}

TEST_F(VirtualSourceTest, EveryHolderSendsThroughTheSameEndpoint) {
    SharedVirtualSource first;
    SharedVirtualSource second;
    listen();
    const std::uint8_t a[] = {0x90, 60, 100};
    const std::uint8_t b[] = {0x80, 60, 0};
    ASSERT_TRUE(first.send(a, 3));
    ASSERT_TRUE(second.send(b, 3));
    const auto messages = received.waitFor(2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].bytes, std::vector<std::uint8_t>(a, a + 3));
    EXPECT_EQ(messages[1].bytes, std::vector<std::uint8_t>(b, b + 3));
}

struct RejectCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool nullBytes;
};

class VirtualSourceRejectTest : public VirtualSourceTest, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(VirtualSourceRejectTest, RefusesWhatIsNotAShortMessage) {
    SharedVirtualSource source;
    const RejectCase& c = GetParam();
    EXPECT_FALSE(source.send(c.nullBytes ? nullptr : c.bytes.data(), c.nullBytes ? 3 : c.bytes.size()));
}

INSTANTIATE_TEST_SUITE_P(Messages, VirtualSourceRejectTest,
                         ::testing::Values(RejectCase{"empty", {}, false},
                                           RejectCase{"fourBytes", {0xF0, 1, 2, 0xF7}, false},
                                           RejectCase{"nullBytes", {}, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VirtualSourceTest, SendingFromTheAudioThreadAllocatesNothing) {
    SharedVirtualSource source;
    listen();
    std::thread audio([&] {
        const std::uint8_t note[] = {0x90, 64, 90};
        pulvan::test::ScopedAllocationCount counter;
        for (int i = 0; i < 256; ++i) source.send(note, 3, i % 2 ? kSendNow : millisecondsFromNow(5));
        EXPECT_EQ(counter.count(), 0u);
    });
    audio.join();
    EXPECT_EQ(received.waitFor(256).size(), 256u);
}

TEST_F(VirtualSourceTest, TimedMessagesLeaveOnTimeAndInOrder) {
    SharedVirtualSource source;
    listen();
    std::vector<Timestamp> due;
    for (std::uint8_t i = 0; i < 4; ++i) {
        due.push_back(millisecondsFromNow(40 - 10 * i));  // sent latest first
        const std::uint8_t note[] = {0x90, static_cast<std::uint8_t>(60 + i), 100};
        source.send(note, 3, due.back());
    }
    const auto messages = received.waitFor(4);
    ASSERT_EQ(messages.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(messages[i].bytes[1], 63 - i) << "earliest timestamp first";
        EXPECT_GE(messages[i].receivedAt, due[3 - i]);
    }
}

TEST_F(VirtualSourceTest, TheLastHolderSendsWhatWaitsBeforeClosing) {
    auto source = std::make_unique<SharedVirtualSource>();
    listen();
    const std::uint8_t noteOff[] = {0x80, 60, 0};
    source->send(noteOff, 3, millisecondsFromNow(60'000));
    source.reset();
    const auto messages = received.waitFor(1, std::chrono::seconds(2));
    ASSERT_EQ(messages.size(), 1u) << "a pending note-off was lost when the source closed";
    EXPECT_EQ(messages[0].bytes[0], 0x80);
}

TEST_F(VirtualSourceTest, InstancesOnSeveralAudioThreadsLoseNothing) {
    constexpr int kPerThread = 1000;
    SharedVirtualSource first;
    SharedVirtualSource second;
    listen();
    auto play = [](SharedVirtualSource& source, std::uint8_t channel) {
        for (int i = 0; i < kPerThread;) {
            const std::uint8_t cc[] = {static_cast<std::uint8_t>(0xB0 | channel), static_cast<std::uint8_t>(i >> 7),
                                       static_cast<std::uint8_t>(i & 0x7F)};
            if (source.send(cc, 3)) ++i;
            else std::this_thread::yield();  // the queue is full for a moment
        }
    };
    std::thread a(play, std::ref(first), 0);
    std::thread b(play, std::ref(second), 1);
    a.join();
    b.join();
    const auto messages = received.waitFor(2 * kPerThread, std::chrono::seconds(10));
    ASSERT_EQ(messages.size(), 2u * kPerThread);
    int next[2] = {0, 0};
    for (const auto& message : messages) {
        const int channel = message.bytes[0] & 0x0F;
        EXPECT_EQ((message.bytes[1] << 7) | message.bytes[2], next[channel]++);
    }
}

}  // namespace
}  // namespace pulvan::midi
