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

TEST(LaneKindCoding, RawValuesLabelsAndDefaultsInMenuOrder) {
    struct Row {
        std::string raw, label;
        int defaultValue;
    };
    const std::vector<Row> rows{{"gate", "GATE", 0},           {"tie", "HOLD/LEGATO", 0},
                                {"notes", "NOTES", 0},         {"fix", "FIX", 0},
                                {"octave", "OCTAVE", 0},       {"velocity", "VELOCITY", 100},
                                {"length", "LENGTH", 75},      {"probability", "PROBABILITY", 0},
                                {"cc_a", "CC A", 0},           {"cc_b", "CC B", 0}};
    ASSERT_EQ(allLaneKinds.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const LaneKind kind = allLaneKinds[i];
        EXPECT_EQ(rawValue(kind), rows[i].raw);
        EXPECT_EQ(displayName(kind), rows[i].label);
        EXPECT_EQ(defaultStepValue(kind), rows[i].defaultValue) << rows[i].raw;
        EXPECT_EQ(laneKindFromRawValue(rows[i].raw), kind);
    }
}

TEST(EnumCoding, EveryCaseRoundTripsThroughItsRawValue) {
    const std::vector<std::string> directions{"forward", "backward", "ping_pong", "ping_pong_2", "random", "smart_random"};
    for (std::size_t i = 0; i < directions.size(); ++i) {
        EXPECT_EQ(rawValue(allPatternDirections[i]), directions[i]);
        EXPECT_EQ(patternDirectionFromRawValue(directions[i]), allPatternDirections[i]);
    }
    const std::vector<std::string> fills{"empty", "circular", "circular_oct_up", "circular_oct_down"};
    for (std::size_t i = 0; i < fills.size(); ++i) {
        EXPECT_EQ(rawValue(allFillEmptyModes[i]), fills[i]);
        EXPECT_EQ(fillEmptyFromRawValue(fills[i]), allFillEmptyModes[i]);
    }
    EXPECT_EQ(rawValue(NotesPoolInput::internalChord), "internal_chord");
    EXPECT_EQ(rawValue(NotesPoolInput::midiIn), "midi_in");
    EXPECT_EQ(notesPoolInputFromRawValue("midi_in"), NotesPoolInput::midiIn);
}

TEST(EnumCoding, UnknownOrMiscasedTextIsNoValue) {
    for (const char* text : {"", "Gate", "ccA", "cc a", "gate "}) EXPECT_FALSE(laneKindFromRawValue(text)) << text;
    for (const char* text : {"pingPong", "FORWARD", "ping_pong2"}) EXPECT_FALSE(patternDirectionFromRawValue(text)) << text;
    EXPECT_FALSE(fillEmptyFromRawValue("circularOctUp"));
    EXPECT_FALSE(notesPoolInputFromRawValue("internalChord"));
}

TEST(Resolution, NormalisesAndLabelsCodes) {
    struct Row {
        std::int64_t code;
        int normalized;
        std::string label;
    };
    const std::vector<Row> rows{
        {16, 16, "1/16"},   {1, 1, "1/1"},       {32, 32, "1/32"},     {108, 108, "1/8D"},  {116, 116, "1/16D"},
        {204, 204, "1/4T"}, {232, 232, "1/32T"}, {201, 201, "1/1T"},   {17, 16, "1/16"},    {300, 16, "1/16"},
        {-100, 16, "1/16"}, {50, 16, "1/16"},    {-16, 16, "1/16"},    {-99, 16, "1/16"},   {299, 16, "1/16"},
        {0, 16, "1/16"},    {264, 16, "1/16"},   {INT64_MAX, 16, "1/16"}, {INT64_MIN, 16, "1/16"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(normalizedResolution(row.code), row.normalized) << row.code;
        EXPECT_EQ(resolutionLabel(row.code), row.label) << row.code;
    }
}

}  // namespace
}  // namespace pulvan::model
