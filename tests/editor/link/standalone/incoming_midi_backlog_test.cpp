#include "editor/link/standalone/incoming_midi_backlog.h"

#include <gtest/gtest.h>

#include <vector>

namespace pulvan::link {
namespace {

using Message = IncomingMIDIBacklog::Message;
using HeldKeys = IncomingMIDIBacklog::HeldKeys;
using Item = IncomingMIDIBacklog::Item;
using Kind = Message::Kind;

Message on(int note, int channel = 0) { return {Kind::note, static_cast<std::uint8_t>(note), 1, static_cast<std::uint8_t>(channel)}; }
Message off(int note, int channel = 0) { return {Kind::note, static_cast<std::uint8_t>(note), 0, static_cast<std::uint8_t>(channel)}; }
Message cc(int controller, int value) {
    return {Kind::controlChange, static_cast<std::uint8_t>(controller), static_cast<std::uint8_t>(value)};
}
// A key listed twice is held on two channels.
HeldKeys held(std::initializer_list<int> notes) {
    HeldKeys keys{};
    for (int note : notes) ++keys[static_cast<std::size_t>(note)];
    return keys;
}
midi::NoteSet atInput(std::initializer_list<int> notes) {
    midi::NoteSet set;
    for (int note : notes) set.add(0, note);
    return set;
}

std::vector<Item> takeAll(IncomingMIDIBacklog& backlog) {
    std::vector<Item> taken;
    while (const auto item = backlog.take()) taken.push_back(*item);
    return taken;
}

// What fills the queue: a controller sweeping.
std::vector<Message> filler(std::size_t count) {
    std::vector<Message> messages;
    for (std::size_t i = 0; i < count; ++i) messages.push_back(cc(7, static_cast<int>(i % 128)));
    return messages;
}

struct OverflowCase {
    const char* name;
    std::vector<Message> before;  // queued first
    std::vector<Message> after;   // beyond what the queue holds
    std::vector<Item> merged;     // what follows the queued messages
};

class OverflowTest : public ::testing::TestWithParam<OverflowCase> {};

TEST_P(OverflowTest, TheQueuedMessagesComeInOrderThenWhatLasts) {
    IncomingMIDIBacklog backlog;
    std::vector<Message> queued = GetParam().before;
    const std::vector<Message> rest = filler(IncomingMIDIBacklog::kCapacity - queued.size());
    queued.insert(queued.end(), rest.begin(), rest.end());
    for (const Message& message : queued) backlog.push(message);
    for (const Message& message : GetParam().after) backlog.push(message);

    std::vector<Item> expected(queued.begin(), queued.end());
    expected.insert(expected.end(), GetParam().merged.begin(), GetParam().merged.end());
    EXPECT_EQ(takeAll(backlog), expected);

    EXPECT_TRUE(backlog.push(on(90))) << "caught up, the backlog is idle";
    EXPECT_FALSE(backlog.push(off(90)));
    EXPECT_EQ(takeAll(backlog), (std::vector<Item>{on(90), off(90)})) << "messages queue in order again";
}

INSTANTIATE_TEST_SUITE_P(
    Floods, OverflowTest,
    ::testing::Values(
        OverflowCase{"TheKeysHeldAtTheInputComeAsAWhole", {on(50), on(52)}, {on(60), off(52), on(64), off(60)}, {held({50, 64})}},
        OverflowCase{"EachControllerBringsItsLastValue", {}, {cc(74, 9), cc(1, 5), cc(74, 10), cc(1, 6)}, {cc(1, 6), cc(74, 10)}},
        OverflowCase{"KeysAndControllers", {}, {cc(2, 3), on(61), off(61)}, {held({}), cc(2, 3)}},
        OverflowCase{"ControllersOnlyLeaveTheKeysAlone", {on(40)}, {cc(3, 1)}, {cc(3, 1)}},
        OverflowCase{"EachChannelHoldsAKeyUntilItsOwnRelease",
                     {on(60, 0), on(60, 1), on(62, 2)},
                     {on(60, 3), off(60, 0), off(62, 5)},
                     {held({60, 60, 62})}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IncomingMIDIBacklogTest, KeysHeldAfterALossOnTheWayInFollowWhatWasQueuedAndTakeInWhatComesAfter) {
    IncomingMIDIBacklog backlog;
    EXPECT_TRUE(backlog.push(on(50)));
    EXPECT_FALSE(backlog.replaceHeldKeys(atInput({60, 61})));
    EXPECT_FALSE(backlog.push(off(61)));
    EXPECT_FALSE(backlog.push(cc(3, 1)));
    EXPECT_EQ(takeAll(backlog), (std::vector<Item>{on(50), held({60}), cc(3, 1)}));
    EXPECT_TRUE(backlog.replaceHeldKeys(atInput({}))) << "an idle backlog asks for a take";
    EXPECT_EQ(takeAll(backlog), (std::vector<Item>{held({})}));
}

TEST(IncomingMIDIBacklogTest, AtAHandsRateEveryMessageComesInOrderAndOnlyAnIdleBacklogAsksForATake) {
    IncomingMIDIBacklog backlog;
    EXPECT_TRUE(backlog.push(on(60)));
    EXPECT_FALSE(backlog.push(cc(74, 1))) << "a take is on its way";
    EXPECT_EQ(backlog.take(), Item(on(60)));
    EXPECT_FALSE(backlog.push(cc(74, 1))) << "a take is still running";
    EXPECT_FALSE(backlog.push(on(60)));  // from a second keyboard
    EXPECT_EQ(takeAll(backlog), (std::vector<Item>{cc(74, 1), cc(74, 1), on(60)})) << "repeats are kept";
    EXPECT_TRUE(backlog.push(off(60)));
    EXPECT_EQ(takeAll(backlog), (std::vector<Item>{off(60)}));
}

}  // namespace
}  // namespace pulvan::link
