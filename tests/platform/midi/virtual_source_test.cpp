#include "platform/midi/virtual_source.h"

#include <gtest/gtest.h>

#include "platform/midi/client.h"
#include "platform/midi/endpoints.h"
#include "platform/midi/loopback_backend.h"
#include "platform/midi/shutdown.h"
#include "tests/platform/midi/message_recorder.h"
#include "tests/support/allocation_counter.h"

#include <algorithm>
#include <memory>
#include <thread>

namespace pulvan::midi {
namespace {

using test::MessageRecorder;
using test::millisecondsFromNow;

class VirtualSourceTest : public ::testing::Test {
protected:
    std::shared_ptr<LoopbackBackend> backend = std::make_shared<LoopbackBackend>();
    ScopedBackend installed{backend};
    Client client{"Listener"};
    MessageRecorder received;
    InputPort input{client, "In", received.handler()};

    static std::vector<Endpoint> listed() {
        auto all = sources();
        std::erase_if(all, [](const Endpoint& e) { return e.uniqueId != kVirtualSourceUniqueId; });
        return all;
    }
};

TEST_F(VirtualSourceTest, AudioThreadsSendWithoutAllocatingAndEveryMessageArrivesInOrder) {
    SharedVirtualSource first;
    SharedVirtualSource second;
    EXPECT_EQ(SharedVirtualSource::holderCount(), 2u);
    ASSERT_EQ(listed().size(), 1u) << "one endpoint for every holder";
    EXPECT_EQ(listed()[0].displayName, "Kez Virtual Port");
    ASSERT_TRUE(input.connectSource(listed()[0]));
    const std::uint8_t tooLong[] = {0xF0, 1, 2, 0xF7};
    EXPECT_FALSE(first.send(tooLong, 4));
    EXPECT_FALSE(first.send(nullptr, 3));
    constexpr int kPerThread = 1000;
    auto play = [](SharedVirtualSource& source, std::uint8_t channel) {
        pulvan::test::ScopedAllocationCount counter;
        for (int i = 0; i < kPerThread;) {
            const std::uint8_t cc[] = {static_cast<std::uint8_t>(0xB0 | channel), static_cast<std::uint8_t>(i >> 7),
                                       static_cast<std::uint8_t>(i & 0x7F)};
            if (source.send(cc, 3)) ++i;
            else std::this_thread::yield();  // full for a moment
        }
        EXPECT_EQ(counter.count(), 0u);
    };
    std::thread a(play, std::ref(first), 0);
    std::thread b(play, std::ref(second), 1);
    a.join();
    b.join();
    const auto messages = received.waitFor(2 * kPerThread, std::chrono::seconds(10));
    ASSERT_EQ(messages.size(), 2u * kPerThread);
    int next[2] = {0, 0};
    for (const auto& message : messages) {
        EXPECT_EQ((message.bytes[1] << 7) | message.bytes[2], next[message.bytes[0] & 0x0F]++);
    }
}

TEST_F(VirtualSourceTest, TimedMessagesLeaveOnTimeAndTheLastHolderEndsWhatSoundedBeforeClosing) {
    auto source = std::make_unique<SharedVirtualSource>();
    auto earlier = std::make_unique<SharedVirtualSource>();
    ASSERT_TRUE(input.connectSource(listed().at(0)));
    const std::uint8_t noteOn[] = {0x90, 60, 100};
    const std::uint8_t noteOff[] = {0x80, 60, 0};
    const Timestamp due = millisecondsFromNow(40);
    source->send(noteOff, 3, millisecondsFromNow(60'000));
    source->send(noteOn, 3, due);
    ASSERT_EQ(received.waitFor(1).size(), 1u);
    EXPECT_GE(received.waitFor(1)[0].receivedAt, due);
    earlier.reset();
    EXPECT_EQ(listed().size(), 1u) << "closed while still held";
    source.reset();
    const auto messages = received.waitFor(2, std::chrono::seconds(1));
    ASSERT_EQ(messages.size(), 2u) << "a sounding note was left on when the source closed";
    EXPECT_EQ(messages[1].bytes[0], 0x80);
    EXPECT_TRUE(listed().empty());
    SharedVirtualSource reopened;
    EXPECT_EQ(listed().size(), 1u);
}

TEST_F(VirtualSourceTest, LeavingTheModuleClosesItUnderHoldersNeverLetGoAndTheNextHolderOpensItAgain) {
    auto neverLetGo = std::make_unique<SharedVirtualSource>();
    ASSERT_TRUE(input.connectSource(listed().at(0)));
    const std::uint8_t noteOn[] = {0x90, 60, 100};
    ASSERT_TRUE(neverLetGo->send(noteOn, 3));
    ASSERT_EQ(received.waitFor(1).size(), 1u);

    shutDown();
    EXPECT_TRUE(listed().empty());
    EXPECT_EQ(SharedVirtualSource::holderCount(), 0u);
    EXPECT_FALSE(neverLetGo->isOpen());
    EXPECT_FALSE(neverLetGo->send(noteOn, 3));

    SharedVirtualSource next;
    EXPECT_TRUE(next.isOpen());
    neverLetGo.reset();
    ASSERT_EQ(listed().size(), 1u) << "a holder from before closed the source of the next";
    EXPECT_EQ(SharedVirtualSource::holderCount(), 1u);
    Client listener{"Listener again"};
    MessageRecorder heard;
    InputPort again{listener, "In", heard.handler()};
    ASSERT_TRUE(again.connectSource(listed()[0]));
    ASSERT_TRUE(next.send(noteOn, 3));
    EXPECT_EQ(heard.waitFor(1).size(), 1u);
    EXPECT_EQ(received.waitFor(2, std::chrono::milliseconds(100)).size(), 1u) << "a port from before was not closed";
}

}  // namespace
}  // namespace pulvan::midi
