#include "editor/link/standalone/running_status_parser.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace pulvan::link {
namespace {

using Note = std::pair<int, bool>;
using Packets = std::vector<std::vector<std::uint8_t>>;

struct ParseCase {
    const char* name;
    Packets packets;  // fed one parse call each
    std::vector<Note> expected;
    std::vector<std::pair<int, int>> controls = {};  // controller, value
};

class RunningStatusParserTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(RunningStatusParserTest, DeliversExactlyTheNotesAndControlChanges) {
    std::vector<Note> delivered;
    std::vector<std::pair<int, int>> controls;
    RunningStatusParser parser([&](int, int note, bool isOn) { delivered.emplace_back(note, isOn); },
                               [&](int controller, int value) { controls.emplace_back(controller, value); });
    for (const auto& packet : GetParam().packets) parser.parse(packet);
    EXPECT_EQ(delivered, GetParam().expected);
    EXPECT_EQ(controls, GetParam().controls);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, RunningStatusParserTest,
    ::testing::Values(ParseCase{"NoteOn", {{0x90, 0x3C, 0x64}}, {{60, true}}},
                      ParseCase{"RunningStatusSecondNote", {{0x90, 0x3C, 0x64, 0x3E, 0x64}}, {{60, true}, {62, true}}},
                      ParseCase{"VelocityZeroIsOff", {{0x90, 0x3C, 0x00}}, {{60, false}}},
                      ParseCase{"NoteOffIgnoresVelocity", {{0x80, 0x3C, 0x40}}, {{60, false}}},
                      ParseCase{"RealTimeInsideAMessage", {{0x90, 0x3C, 0xF8, 0x64}}, {{60, true}}},
                      ParseCase{"ControlChangeOnAnyChannel", {{0xB3, 0x14, 0x40, 0x15, 0x7F}}, {}, {{20, 64}, {21, 127}}},
                      ParseCase{"ProgramChangesAreOneByte", {{0xC0, 0x05, 0x06, 0x90, 0x3C, 0x64}}, {{60, true}}},
                      ParseCase{"PitchBendTakesTwoBytes", {{0xE0, 0x3C, 0x64, 0x3C}}, {}},
                      ParseCase{"DataBeforeAnyStatus", {{0x3C, 0x64, 0x3C}}, {}},
                      ParseCase{"DataInsideSystemExclusive", {{0xF0, 0x3C, 0x64, 0x3C, 0xF7, 0x3C, 0x64}}, {}},
                      ParseCase{"SystemExclusiveEndsRunningStatus", {{0x90, 0x3C, 0x64, 0xF0, 0x7E, 0xF7, 0x3E, 0x64}}, {{60, true}}},
                      ParseCase{"NewStatusDropsAHalfMessage", {{0x90, 0x3C, 0x80, 0x3E, 0x00}}, {{62, false}}},
                      ParseCase{"SplitOverTwoPackets", {{0x90, 0x3C}, {0x64}}, {{60, true}}},
                      ParseCase{"RunningStatusAcrossPackets", {{0x90, 0x3C, 0x64}, {0x3E, 0x64}}, {{60, true}, {62, true}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::link
