#include "platform/midi/cycle_output.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace pulvan::midi {
namespace {

// Cycles of 256 frames on a clock of one frame a microsecond, starting at frame 0.
constexpr std::uint32_t kFrames = 256;
constexpr double kFramesPerNs = 1e-3;

struct Script {
    const char* name;
    // Words run in order: "on60@300" and "off60@300" send a note-on or note-off due at that frame,
    // "silence" asks for silence, "cycle" runs the next cycle, "cycles60" runs sixty of them.
    const char* steps;
    // What was written: "<cycle>:<on|off><note>@<offset>", in order.
    const char* written;
};

void PrintTo(const Script& s, std::ostream* os) { *os << s.name; }

std::string run(const std::string& steps) {
    CycleOutput output;
    std::ostringstream written;
    int cycle = 0;
    const auto runCycle = [&] {
        const CycleOutput::Cycle at{static_cast<std::uint64_t>(cycle) * kFrames * 1000, kFramesPerNs, kFrames};
        output.writeCycle(at, [&](std::span<const std::uint8_t> bytes, std::uint32_t offset) {
            const bool on = (bytes[0] & 0xF0) == 0x90 && bytes[2] != 0;
            written << (written.tellp() > 0 ? " " : "") << cycle << ':' << (on ? "on" : "off") << int{bytes[1]} << '@' << offset;
            return true;
        });
        ++cycle;
    };
    std::istringstream words(steps);
    for (std::string word; words >> word;) {
        if (word == "silence") {
            output.take(ShortMessage{});
        } else if (word.starts_with("cycles")) {
            for (int i = std::stoi(word.substr(6)); i > 0; --i) runCycle();
        } else if (word == "cycle") {
            runCycle();
        } else {
            const bool on = word.starts_with("on");
            const std::size_t at = word.find('@');
            const std::size_t noteStart = on ? 2 : 3;
            ShortMessage message;
            message.length = 3;
            message.bytes = {static_cast<std::uint8_t>(on ? 0x90 : 0x80),
                             static_cast<std::uint8_t>(std::stoi(word.substr(noteStart, at - noteStart))),
                             static_cast<std::uint8_t>(on ? 100 : 0)};
            message.deliverAt = std::stoull(word.substr(at + 1)) * 1000;
            output.take(message);
        }
    }
    return written.str();
}

class CycleOutputTest : public ::testing::TestWithParam<Script> {};

TEST_P(CycleOutputTest, WritesWhatTheScriptExpects) { EXPECT_EQ(run(GetParam().steps), GetParam().written); }

INSTANTIATE_TEST_SUITE_P(
    Scripts, CycleOutputTest,
    ::testing::Values(
        Script{"MessagesLandOnTheirFramesInTheirCycles", "on60@10 off60@300 cycle cycle", "0:on60@10 1:off60@44"},
        Script{"SilenceDropsWhatWaitsAndEndsWhatSounds", "on60@10 on62@20 off60@300 cycle silence cycle cycle",
               "0:on60@10 0:on62@20 1:off60@0 1:off62@0"},
        Script{"WhatIsSentAfterSilenceStays", "on60@10 cycle silence on64@300 cycle", "0:on60@10 1:off60@0 1:on64@44"},
        // A listener that missed the cycle of a note-off hears its copy.
        Script{"ANoteOffIsWrittenOnceMoreTwentyFourCyclesLater", "on60@10 off60@300 cycles26", "0:on60@10 1:off60@44 25:off60@0"},
        Script{"TheReleaseOfAStopIsWrittenOnceMore", "on60@10 off60@600 cycle silence cycles25", "0:on60@10 1:off60@0 25:off60@0"},
        Script{"ACopyComesBeforeTheMessagesOfItsCycle", "on60@10 off60@300 on62@6406 cycles26",
               "0:on60@10 1:off60@44 25:off60@0 25:on62@6"},
        Script{"ACopyIsNotCopiedAgain", "on60@10 off60@100 cycles60", "0:on60@10 0:off60@100 24:off60@0"},
        Script{"NoCopyEndsANoteThatSoundsAgain", "on60@10 off60@100 on60@2600 off60@7800 cycles60",
               "0:on60@10 0:off60@100 10:on60@40 30:off60@120 54:off60@0"},
        // A note-on taken for a note-off would be copied in cycle 24, two cycles before the note-off's copy.
        Script{"OnlyNoteOffsAreWrittenAgain", "on60@10 on62@20 off60@600 cycles30", "0:on60@10 0:on62@20 2:off60@88 26:off60@0"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::midi
