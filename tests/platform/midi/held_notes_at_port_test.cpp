#include <gtest/gtest.h>

#include "platform/midi/sounding_notes.h"

#include <optional>
#include <vector>

namespace pulvan::midi {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct SnapshotCase {
    const char* name;
    std::vector<Bytes> followed;
    std::uint64_t delivered;      // taken and refused, as the reader counts them
    std::optional<NoteSet> held;  // handed on, or not this turn
};

void PrintTo(const SnapshotCase& c, std::ostream* os) { *os << c.name; }

NoteSet notes(std::initializer_list<std::pair<int, int>> channelNotes) {
    NoteSet set;
    for (const auto& [channel, note] : channelNotes) set.add(channel, note);
    return set;
}

class HeldNotesAtPortTest : public ::testing::TestWithParam<SnapshotCase> {};

TEST_P(HeldNotesAtPortTest, TheSetHandedOnHoldsExactlyTheMessagesDelivered) {
    HeldNotesAtPort port;
    for (const Bytes& message : GetParam().followed) port.follow(message);
    EXPECT_EQ(port.loadAfter(GetParam().delivered), GetParam().held);
}

INSTANTIATE_TEST_SUITE_P(Snapshots, HeldNotesAtPortTest,
                         ::testing::Values(SnapshotCase{"EveryMessageDelivered",
                                                        {{0x90, 60, 100}, {0xB0, 7, 1}, {0x91, 60, 100}, {0x90, 62, 0}},
                                                        4,
                                                        notes({{0, 60}, {1, 60}})},
                                           SnapshotCase{"ANoteOnNotYetTakenWaits", {{0x90, 60, 100}, {0x90, 64, 100}}, 1, std::nullopt},
                                           SnapshotCase{"ANoteOffNotYetTakenWaits", {{0x90, 60, 100}, {0x80, 60, 0}}, 1, std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::midi
