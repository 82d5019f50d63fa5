#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/model/fill_empty.h"
#include "editor/model/lane_kind.h"
#include "editor/model/notes_pool_input.h"
#include "editor/model/pattern_direction.h"
#include "editor/model/resolution.h"

namespace pulvan::model {
namespace {

TEST(EnumCoding, RawValuesInCaseOrderRoundTrip) {
    const std::vector<std::string> lanes{"gate",     "tie",    "notes",       "fix",  "octave",
                                         "velocity", "length", "probability", "cc_a", "cc_b"};
    const std::vector<std::string> labels{"GATE",     "HOLD/LEGATO", "NOTES",       "FIX",  "OCTAVE",
                                          "VELOCITY", "LENGTH",      "PROBABILITY", "CC A", "CC B"};
    for (std::size_t i = 0; i < lanes.size(); ++i) {
        EXPECT_EQ(rawValue(allLaneKinds[i]), lanes[i]);
        EXPECT_EQ(displayName(allLaneKinds[i]), labels[i]);
        EXPECT_EQ(laneKindFromRawValue(lanes[i]), allLaneKinds[i]);
    }
    const std::vector<std::string> directions{"forward", "backward", "ping_pong", "ping_pong_2", "random", "smart_random"};
    for (std::size_t i = 0; i < directions.size(); ++i) {
        EXPECT_EQ(patternDirectionFromRawValue(directions[i]), allPatternDirections[i]);
        EXPECT_EQ(rawValue(allPatternDirections[i]), directions[i]);
    }
    const std::vector<std::string> fills{"empty", "circular", "circular_oct_up", "circular_oct_down"};
    for (std::size_t i = 0; i < fills.size(); ++i) EXPECT_EQ(fillEmptyFromRawValue(fills[i]), allFillEmptyModes[i]);
    EXPECT_EQ(notesPoolInputFromRawValue("internal_chord"), NotesPoolInput::internalChord);
    EXPECT_EQ(rawValue(NotesPoolInput::midiIn), "midi_in");
    EXPECT_EQ(defaultStepValue(LaneKind::velocity) * 1000 + defaultStepValue(LaneKind::length), 100075);
}

TEST(EnumCoding, UnknownOrMiscasedTextIsNoValue) {
    for (const char* text : {"", "Gate", "ccA", "gate "}) EXPECT_FALSE(laneKindFromRawValue(text)) << text;
    for (const char* text : {"pingPong", "FORWARD", "ping_pong2"}) EXPECT_FALSE(patternDirectionFromRawValue(text));
    EXPECT_FALSE(fillEmptyFromRawValue("circularOctUp"));
    EXPECT_FALSE(notesPoolInputFromRawValue("internalChord"));
}

TEST(Resolution, NormalisesAndLabelsCodes) {
    const std::vector<std::tuple<std::int64_t, int, std::string>> rows{
        {16, 16, "1/16"},     {1, 1, "1/1"},       {108, 108, "1/8D"},    {116, 116, "1/16D"}, {204, 204, "1/4T"},
        {232, 232, "1/32T"},  {17, 16, "1/16"},    {300, 16, "1/16"},     {-100, 16, "1/16"},  {50, 16, "1/16"},
        {-16, 16, "1/16"},    {-99, 16, "1/16"},   {0, 16, "1/16"},       {264, 16, "1/16"},   {INT64_MIN, 16, "1/16"},
    };
    for (const auto& [code, normalized, label] : rows) {
        EXPECT_EQ(normalizedResolution(code), normalized) << code;
        EXPECT_EQ(resolutionLabel(code), label) << code;
    }
}

}  // namespace
}  // namespace pulvan::model
