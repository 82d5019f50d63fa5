#include "platform/foundation/observable.h"
#include "platform/foundation/signal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using pulvan::foundation::Connection;
using pulvan::foundation::Observable;
using pulvan::foundation::Signal;

TEST(Observable, SubscribersSeeTheNewValueWhenNotified) {
    Signal<> ownerChanged;
    Observable<std::string> preset("old", &ownerChanged);
    std::vector<std::string> seenThroughArgument, seenThroughOwner;
    auto direct = preset.subscribe([&](const std::string& value) { seenThroughArgument.push_back(value + "/" + preset.get()); });
    auto whole = ownerChanged.connect([&] { seenThroughOwner.push_back(preset.get()); });

    preset.set("new");
    preset.modify([](std::string& value) { value += "er"; });

    EXPECT_EQ(seenThroughArgument, (std::vector<std::string>{"new/new", "newer/newer"}));
    EXPECT_EQ(seenThroughOwner, (std::vector<std::string>{"new", "newer"}));
}

TEST(Observable, EveryWriteNotifiesEvenWhenEqual) {
    Observable<int> value(3);
    int notifications = 0;
    auto connection = value.subscribe([&](const int&) { ++notifications; });
    value.set(3);
    value.set(3);
    EXPECT_EQ(notifications, 2);
}

TEST(Signal, DisconnectingStopsDeliveryAndDestroyingTheConnectionDisconnects) {
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
}

TEST(Signal, ASlotRemovedDuringEmissionIsNotCalledAndOneAddedWaitsForTheNext) {
    Signal<> signal;
    std::vector<std::string> calls;
    Connection second;
    Connection added;
    Connection first = signal.connect([&] {
        calls.push_back("first");
        second.disconnect();
        if (!added.connected()) added = signal.connect([&] { calls.push_back("added"); });
    });
    second = signal.connect([&] { calls.push_back("second"); });

    signal.emit();
    signal.emit();
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "first", "added"}));
}

TEST(Signal, ASlotMayDisconnectItselfWhileRunning) {
    Signal<> signal;
    int calls = 0;
    Connection self;
    self = signal.connect([&] {
        ++calls;
        self.disconnect();
    });
    signal.emit();
    signal.emit();
    EXPECT_EQ(calls, 1);
}

TEST(Signal, ConnectionOutlivingItsSignalIsHarmless) {
    Connection connection;
    {
        Signal<> signal;
        connection = signal.connect([] {});
    }
    EXPECT_FALSE(connection.connected());
    connection.disconnect();
}
