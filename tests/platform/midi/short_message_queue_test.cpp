#include "platform/midi/short_message_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace pulvan::midi {
namespace {

TEST(ShortMessageQueue, ManyProducersLoseNothingKeepEachOnesOrderAndAFullQueueRefuses) {
    constexpr std::uint32_t kProducers = 4;
    constexpr std::uint32_t kPerProducer = 20000;
    ShortMessageQueue<64> queue;
    std::vector<std::thread> producers;
    for (std::uint32_t p = 0; p < kProducers; ++p) {
        producers.emplace_back([&queue, p] {
            for (std::uint32_t i = 0; i < kPerProducer;) {
                if (queue.tryPush({i, 1, {static_cast<std::uint8_t>(p)}})) ++i;  // a refusal is retried
            }
        });
    }
    std::vector<Timestamp> next(kProducers, 0);
    ShortMessage out;
    for (std::uint32_t received = 0; received < kProducers * kPerProducer;) {
        if (!queue.tryPop(out)) continue;
        ASSERT_EQ(out.deliverAt, next[out.bytes[0]]++) << "producer " << int(out.bytes[0]);
        ++received;
    }
    for (auto& producer : producers) producer.join();

    for (Timestamp i = 0; i < 64; ++i) ASSERT_TRUE(queue.tryPush({i, 1, {}}));
    EXPECT_FALSE(queue.tryPush({64, 1, {}})) << "a full queue must refuse, not overwrite";
    ASSERT_TRUE(queue.tryPop(out));
    EXPECT_EQ(out.deliverAt, 0u);
}

}  // namespace
}  // namespace pulvan::midi
