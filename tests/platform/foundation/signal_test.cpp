#include "platform/foundation/signal.h"

#include <gtest/gtest.h>

#include "platform/foundation/observable.h"

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
