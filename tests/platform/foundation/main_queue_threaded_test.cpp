#include <gtest/gtest.h>

#include "platform/foundation/main_queue.h"

#include <poll.h>

#include <thread>
#include <vector>

using pulvan::foundation::MainQueue;
using pulvan::foundation::Timer;

TEST(MainQueueThreads, WorkPostedFromOtherThreadsRunsOnThePumpingThreadInPostingOrder) {
    MainQueue queue;
    std::thread::id pumpingThread;
    std::vector<std::vector<int>> seen(4);
    int wrongThread = 0;
    std::thread loop([&] {
        pumpingThread = std::this_thread::get_id();
        queue.run();
    });
    std::vector<std::thread> producers;
    for (int p = 0; p < 4; ++p) {
        producers.emplace_back([&, p] {
            for (int i = 0; i < 1000; ++i) {
                queue.async([&, p, i] {
                    if (std::this_thread::get_id() != pumpingThread) ++wrongThread;
                    seen[p].push_back(i);
                });
            }
        });
    }
    for (auto& producer : producers) producer.join();
    queue.async([&] { queue.stop(); });
    loop.join();
    EXPECT_EQ(wrongThread, 0);
    for (const auto& list : seen) {
        ASSERT_EQ(list.size(), 1000u);
        for (int i = 0; i < 1000; ++i) EXPECT_EQ(list[i], i);
    }
}

TEST(MainQueueThreads, ARealTimerWakesTheLoopAndAnEarlyStopEndsIt) {
    MainQueue queue;
    int fired = 0;
    Timer timer = queue.scheduleOneShot(5'000'000, [&] {
        ++fired;
        queue.stop();
    });
    queue.run();
    EXPECT_EQ(fired, 1);

    MainQueue stopped;
    stopped.stop();
    stopped.run();  // a stop before the loop runs returns at once
}

TEST(MainQueueThreads, TheWakeDescriptorSignalsWorkFromAnotherThread) {
    MainQueue queue;
    std::thread([&] { queue.async([] {}); }).join();
    pollfd fd{queue.wakeFileDescriptor(), POLLIN, 0};
    ASSERT_EQ(poll(&fd, 1, 1000), 1);
    EXPECT_EQ(queue.pump(), 1u);
    fd.revents = 0;
    EXPECT_EQ(poll(&fd, 1, 0), 0) << "a pump drains the descriptor";
}
