#include "platform/foundation/signal.h"

#include <gtest/gtest.h>

#include "platform/foundation/observable.h"

#include <memory>
#include <string>
#include <vector>

using pulvan::foundation::Connection;
using pulvan::foundation::Observable;
using pulvan::foundation::Signal;

TEST(Observable, SubscribersSeeTheNewValueOnEveryWriteEvenWhenEqual) {
    Signal<> ownerChanged;
    Observable<std::string> preset("old", &ownerChanged);
    std::vector<std::string> seenThroughArgument, seenThroughOwner;
    auto direct = preset.subscribe([&](const std::string& value) { seenThroughArgument.push_back(value + "/" + preset.get()); });
    auto whole = ownerChanged.connect([&] { seenThroughOwner.push_back(preset.get()); });

    preset.set("new");
    preset.modify([](std::string& value) { value += "er"; });
    preset.set("newer");

    EXPECT_EQ(seenThroughArgument, (std::vector<std::string>{"new/new", "newer/newer", "newer/newer"}));
    EXPECT_EQ(seenThroughOwner, (std::vector<std::string>{"new", "newer", "newer"}));
}

TEST(Signal, DisconnectingStopsDeliveryAndDestroyingEitherSideDisconnects) {
    Signal<int> signal;
    std::vector<int> received;
    Connection kept = signal.connect([&](int v) { received.push_back(v); });
    {
        Connection temporary = signal.connect([&](int v) { received.push_back(100 + v); });
        signal.emit(1);
    }
    signal.emit(2);
    kept.disconnect();
    signal.emit(3);
    EXPECT_EQ(received, (std::vector<int>{1, 101, 2}));
    EXPECT_EQ(signal.subscriberCount(), 0u);
    EXPECT_FALSE(kept.connected());

    Connection outliving;
    {
        Signal<> gone;
        outliving = gone.connect([] {});
    }
    EXPECT_FALSE(outliving.connected());
    outliving.disconnect();
}

TEST(Signal, SlotsChangedDuringEmissionTakeEffectAtOnceForRemovalsAndNextTimeForAdditions) {
    Signal<> signal;
    std::vector<std::string> calls;
    Connection second, added, self;
    Connection first = signal.connect([&] {
        calls.push_back("first");
        second.disconnect();
        if (!added.connected()) added = signal.connect([&] { calls.push_back("added"); });
    });
    second = signal.connect([&] { calls.push_back("second"); });
    self = signal.connect([&] {
        calls.push_back("self");
        self.disconnect();
    });

    signal.emit();
    signal.emit();
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "self", "first", "added"}));
}

// A view built again and again connects anew each time and ends its earlier connection, while the signal
// it follows may stay quiet for hours: the ended handlers, and what they hold, do not pile up meanwhile.
TEST(Signal, AQuietSignalLetsEndedSubscriptionsGoWithoutFiring) {
    Signal<> quiet;
    const auto held = std::make_shared<int>(0);  // what every handler holds
    int calls = 0;
    std::vector<Connection> kept;
    for (int i = 0; i < 8; ++i) kept.push_back(quiet.connect([held, &calls] { ++calls; }));
    Connection rebuilt;
    for (int i = 0; i < 10'000; ++i) rebuilt = quiet.connect([held, &calls] { ++calls; });

    // Ten are connected at most at once (the next of `rebuilt` before its last ends); the list keeps at most twice that.
    EXPECT_LE(held.use_count(), 1 + 2 * 10);
    quiet.emit();
    EXPECT_EQ(calls, 9);
}
