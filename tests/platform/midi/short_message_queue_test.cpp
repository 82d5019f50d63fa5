#include "platform/midi/short_message_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace pulvan::midi {
namespace {

ShortMessage numbered(std::uint32_t producer, std::uint32_t index) {
    ShortMessage message;
    message.deliverAt = index;
    message.length = 3;
    message.bytes = {static_cast<std::uint8_t>(producer), static_cast<std::uint8_t>(index >> 7),
                     static_cast<std::uint8_t>(index & 0x7F)};
    return message;
}

TEST(ShortMessageQueue, KeepsOrderAcrossWrapAroundAndRefusesWhenFull) {
    ShortMessageQueue<4> queue;
    ShortMessage out;
    std::uint32_t next = 0;
    for (std::uint32_t round = 0; round < 5; ++round) {
        for (std::uint32_t i = 0; i < 4; ++i) EXPECT_TRUE(queue.tryPush(numbered(0, round * 4 + i)));
        EXPECT_FALSE(queue.tryPush(numbered(0, 999))) << "a full queue must refuse, not overwrite";
        for (std::uint32_t i = 0; i < 4; ++i) {
            ASSERT_TRUE(queue.tryPop(out));
            EXPECT_EQ(out.deliverAt, next++);
        }
        EXPECT_FALSE(queue.tryPop(out));
    }
}

TEST(ShortMessageQueue, ManyProducersLoseNothingAndKeepEachProducersOrder) {
    constexpr std::uint32_t kProducers = 4;
    constexpr std::uint32_t kPerProducer = 20000;
    ShortMessageQueue<256> queue;
    std::vector<std::thread> producers;
    for (std::uint32_t p = 0; p < kProducers; ++p) {
        producers.emplace_back([&queue, p] {
            for (std::uint32_t i = 0; i < kPerProducer;) {
                if (queue.tryPush(numbered(p, i))) ++i;
            }
        });
    }
    std::vector<std::uint32_t> nextIndex(kProducers, 0);
    std::uint32_t received = 0;
    ShortMessage out;
    while (received < kProducers * kPerProducer) {
        if (!queue.tryPop(out)) continue;
        const std::uint32_t producer = out.bytes[0];
        ASSERT_LT(producer, kProducers);
        ASSERT_EQ(out.deliverAt, nextIndex[producer]) << "producer " << producer;
        ASSERT_EQ(out.bytes[1], (nextIndex[producer] >> 7) & 0xFF);
        ++nextIndex[producer];
        ++received;
    }
    for (auto& producer : producers) producer.join();
    EXPECT_FALSE(queue.tryPop(out));
}

}  // namespace
}  // namespace pulvan::midi
