#include "platform/foundation/main_queue.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using pulvan::foundation::ManualMainQueue;
using pulvan::foundation::Timer;

namespace {
constexpr std::int64_t ms = 1'000'000;
}

TEST(OneShotTimer, FiresAtItsDeadlineAndNotANanosecondBeforeAndOnlyOnce) {
    for (const auto& [delay, advance, fires] : std::vector<std::tuple<std::int64_t, std::int64_t, bool>>{
             {10 * ms, 10 * ms - 1, false}, {10 * ms, 10 * ms, true}, {0, 0, true}, {-5, 0, true}, {10'000 * ms, 9'999 * ms, false}}) {
        ManualMainQueue main;
        int fired = 0;
        Timer timer = main.queue().scheduleOneShot(delay, [&] { ++fired; });
        main.advanceNanoseconds(advance);
        EXPECT_EQ(fired, fires ? 1 : 0) << delay << " after " << advance;
        EXPECT_EQ(timer.isActive(), !fires);
        main.advanceSeconds(60);
        EXPECT_EQ(fired, 1);
    }
}

TEST(RepeatingTimer, FiresOnItsGridAndSeesTheClockAtEachTick) {
    ManualMainQueue main;
    std::vector<std::int64_t> ticks;
    Timer poll = main.queue().scheduleRepeating(33 * ms, [&] { ticks.push_back(main.clock().nowNanoseconds()); });
    main.advanceNanoseconds(1000 * ms);
    ASSERT_EQ(ticks.size(), 30u);
    for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_EQ(ticks[i], static_cast<std::int64_t>(i + 1) * 33 * ms);
}

TEST(RepeatingTimer, ALateQueueSkipsMissedTicksInsteadOfBursting) {
    ManualMainQueue main;
    int fired = 0;
    Timer timer = main.queue().scheduleRepeating(10 * ms, [&] { ++fired; });
    main.clock().setNanoseconds(35 * ms);  // the thread was busy for three and a half periods
    main.queue().pump();
    EXPECT_EQ(fired, 1);
    main.advanceNanoseconds(5 * ms - 1);
    EXPECT_EQ(fired, 1);
    main.advanceNanoseconds(1);
    EXPECT_EQ(fired, 2) << "the next tick stays on the 10 ms grid, at 40 ms";
}

TEST(Timer, CancelledDestroyedReplacedOrSelfCancelledTimersStopFiring) {
    ManualMainQueue main;
    int cancelled = 0, destroyed = 0, selfCancelled = 0, replaced = 0, replacement = 0;
    Timer a = main.queue().scheduleOneShot(5 * ms, [&] { ++cancelled; });
    auto b = std::make_unique<Timer>(main.queue().scheduleRepeating(5 * ms, [&] { ++destroyed; }));
    Timer c;
    c = main.queue().scheduleRepeating(5 * ms, [&] {
        ++selfCancelled;
        c.cancel();
    });
    // An arming timeout restarted at 9 s fires 10 s after the restart, not after the first arming.
    Timer timeout = main.queue().scheduleOneShot(10'000 * ms, [&] { ++replaced; });
    a.cancel();
    b.reset();
    main.advanceSeconds(9);
    timeout = main.queue().scheduleOneShot(10'000 * ms, [&] { ++replacement; });
    main.advanceSeconds(9.999);
    EXPECT_EQ(replacement, 0);
    main.advanceSeconds(0.001);
    EXPECT_EQ(replacement, 1);
    EXPECT_EQ(replaced, 0);
    EXPECT_EQ(cancelled, 0);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(selfCancelled, 1);
    EXPECT_FALSE(c.isActive());
}

TEST(Timer, AHandlerMayCancelATimerDueInTheSamePumpAndATimerMayOutliveItsQueue) {
    Timer outliving;
    {
        ManualMainQueue main;
        std::vector<std::string> order;
        Timer later;
        Timer first = main.queue().scheduleOneShot(5 * ms, [&] {
            order.push_back("first");
            later.cancel();
        });
        later = main.queue().scheduleOneShot(6 * ms, [&] { order.push_back("later"); });
        outliving = main.queue().scheduleOneShot(60 * ms, [] {});
        main.clock().setNanoseconds(10 * ms);
        main.queue().pump();
        EXPECT_EQ(order, (std::vector<std::string>{"first"}));
    }
    EXPECT_FALSE(outliving.isActive());
    outliving.cancel();
}

TEST(MainQueue, DeferredWorkRunsInOrderBeforeDueTimersInDeadlineOrderAndWorkPostedMeanwhileWaits) {
    ManualMainQueue main;
    EXPECT_FALSE(main.queue().nextWakeNanoseconds().has_value());
    std::vector<std::string> order;
    Timer late = main.queue().scheduleOneShot(30 * ms, [&] { order.push_back("30"); });
    Timer early = main.queue().scheduleOneShot(10 * ms, [&] { order.push_back("10"); });
    Timer middle = main.queue().scheduleOneShot(20 * ms, [&] { order.push_back("20"); });
    main.queue().async([&] {
        order.push_back("one");
        main.queue().async([&] { order.push_back("posted by one"); });
    });
    main.queue().async([&] { order.push_back("two"); });
    EXPECT_EQ(main.queue().nextWakeNanoseconds(), main.clock().nowNanoseconds()) << "waiting work wants a pump now";
    main.clock().setNanoseconds(40 * ms);
    main.queue().pump();
    EXPECT_EQ(order, (std::vector<std::string>{"one", "two", "10", "20", "30"}));
    main.drain();
    EXPECT_EQ(order.back(), "posted by one");
}

TEST(Leeway, OneWakeUpServesNearbyTimersWithoutMakingAnyLaterThanItsLeeway) {
    struct Case {
        std::vector<std::array<std::int64_t, 2>> timers;  // delay, leeway
        std::int64_t wake;
        int firedAtWake;
    };
    for (const Case& c :
         std::vector<Case>{{{{3 * ms, 1 * ms}}, 3 * ms, 1},                                      // alone: on time
                           {{{3 * ms, 1 * ms}, {3 * ms + 500'000, 0}}, 3 * ms + 500'000, 2},     // within the leeway: together
                           {{{3 * ms, 1 * ms}, {5 * ms, 0}}, 3 * ms, 1},                         // beyond it: separately
                           {{{3 * ms, 2 * ms}, {4 * ms, 0}, {4 * ms + 500'000, 0}}, 4 * ms, 2},  // the second timer has none to give
                           {{{10 * ms, 0}, {10 * ms, 5 * ms}}, 10 * ms, 2}}) {
        ManualMainQueue main;
        int fired = 0;
        std::vector<Timer> timers;
        for (const auto& [delay, leeway] : c.timers)
            timers.push_back(main.queue().scheduleOneShot(
                delay, [&] { ++fired; }, leeway));
        ASSERT_EQ(main.queue().nextWakeNanoseconds(), c.wake);
        main.clock().setNanoseconds(c.wake);
        main.queue().pump();
        EXPECT_EQ(fired, c.firedAtWake) << "wake at " << c.wake;
    }
}
