#include <gtest/gtest.h>

#include "editor/model/fill_empty.h"
#include "editor/model/lane_kind.h"
#include "editor/model/notes_pool_input.h"
#include "editor/model/pattern_direction.h"
#include "editor/model/preset.h"
#include "editor/model/resolution.h"
#include "editor/model/skin.h"

#include <string>
#include <vector>

namespace pulvan::model {
namespace {

// The raw values of every case in case order, each read back to its case.
template <typename Enum, std::size_t N, typename Parse>
std::string rawValues(const std::array<Enum, N>& all, Parse parse) {
    std::string text;
    for (const Enum value : all) {
        EXPECT_EQ(parse(rawValue(value)), value) << rawValue(value);
        text += std::string(rawValue(value)) + " ";
    }
    return text;
}

TEST(EnumCoding, RawValuesAndLabelsInCaseOrderRoundTrip) {
    EXPECT_EQ(rawValues(allLaneKinds, laneKindFromRawValue), "gate tie notes fix octave velocity length probability cc_a cc_b ");
    std::string labels;
    for (const LaneKind kind : allLaneKinds) labels += std::string(displayName(kind)) + "|";
    EXPECT_EQ(labels, "GATE|HOLD/LEGATO|NOTES|FIX|OCTAVE|VELOCITY|LENGTH|PROBABILITY|CC A|CC B|");
    EXPECT_EQ(rawValues(allPatternDirections, patternDirectionFromRawValue), "forward backward ping_pong ping_pong_2 random smart_random ");
    EXPECT_EQ(rawValues(allFillEmptyModes, fillEmptyFromRawValue), "empty circular circular_oct_up circular_oct_down ");
    EXPECT_EQ(notesPoolInputFromRawValue("internal_chord"), NotesPoolInput::internalChord);
    EXPECT_EQ(rawValue(NotesPoolInput::midiIn), "midi_in");
}

TEST(EnumCoding, UnknownOrMiscasedTextIsNoValue) {
    for (const char* text : {"", "Gate", "ccA", "gate "}) EXPECT_FALSE(laneKindFromRawValue(text)) << text;
    for (const char* text : {"pingPong", "FORWARD", "ping_pong2"}) EXPECT_FALSE(patternDirectionFromRawValue(text));
    EXPECT_FALSE(fillEmptyFromRawValue("circularOctUp"));
    EXPECT_FALSE(notesPoolInputFromRawValue("internalChord"));
}

TEST(Resolution, NormalisesAndLabelsCodes) {
    // Beyond the range a code never names a note value, even where its last two digits would.
    const std::vector<std::tuple<std::int64_t, int, std::string>> rows{
        {16, 16, "1/16"},  {1, 1, "1/1"},     {108, 108, "1/8D"}, {116, 116, "1/16D"},     {204, 204, "1/4T"}, {232, 232, "1/32T"},
        {17, 16, "1/16"},  {300, 16, "1/16"}, {332, 16, "1/16"},  {-100, 16, "1/16"},      {50, 16, "1/16"},   {-16, 16, "1/16"},
        {-99, 16, "1/16"}, {0, 16, "1/16"},   {264, 16, "1/16"},  {INT64_MIN, 16, "1/16"},
    };
    for (const auto& [code, normalized, label] : rows) {
        EXPECT_EQ(normalizedResolution(code), normalized) << code;
        EXPECT_EQ(resolutionLabel(code), label) << code;
    }
}

TEST(Defaults, PatternIndicesFollowTheTrackCount) {
    using Indices = std::optional<std::vector<int>>;
    const std::vector<std::tuple<Indices, std::int64_t, Indices>> rows{
        {std::nullopt, 3, std::nullopt},
        {std::vector<int>{9, -1}, 3, std::vector<int>{7, 0, 0}},
        {std::vector<int>{9, -1}, 7, std::vector<int>{7, 0, 0, 0, 0, 0}},
        {std::vector<int>{1, 2, 3}, -4, std::vector<int>{}},
    };
    for (const auto& [given, trackCount, expected] : rows) EXPECT_EQ(normalizedPatternIndices(given, trackCount), expected);
}

TEST(Skin, PaletteIsRepeatedCutOrFilledToSixClampedEntries) {
    const std::vector<std::pair<std::vector<std::int64_t>, std::vector<int>>> rows{
        {{}, {0, 0, 0, 0, 0, 0}},
        {{0xA, 0xB}, {0xA, 0xB, 0xA, 0xB, 0xA, 0xB}},
        {{1, 2, 3, 4}, {1, 2, 3, 4, 1, 2}},
        {{1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6}},
        {{-1, 0x1000000, 0xFFFFFF}, {0, 0xFFFFFF, 0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF}},
    };
    for (const auto& [given, palette] : rows) EXPECT_EQ(Skin("s", 0, given).trackAccents(), palette);
    EXPECT_EQ(Skin("s", -5, {}).globalAccentHex(), 0);
    EXPECT_EQ(Skin("s", 0x1000000, {}).globalAccentHex(), 0xFFFFFF);
    EXPECT_EQ(defaultSkin().name() + "/" + builtInSkins().back().name(), "Kez default/Kez acid");
}

TEST(Skin, DefaultTrackAccentWrapsBothWaysAndHexStringClamps) {
    const std::vector<std::pair<std::int64_t, int>> accents{{0, 0x3DC2D2},  {5, 0xCBCACB},  {6, 0x3DC2D2},        {7, 0xDD9DB2},
                                                            {-1, 0xCBCACB}, {-6, 0x3DC2D2}, {INT64_MIN, 0xC183BE}};
    for (const auto& [index, accent] : accents) EXPECT_EQ(defaultTrackAccent(index), accent) << index;
    const std::vector<std::pair<std::int64_t, std::string>> texts{
        {0x3DC2D2, "3DC2D2"}, {0xAB, "0000AB"}, {-7, "000000"}, {0x1234567, "FFFFFF"}};
    for (const auto& [value, text] : texts) EXPECT_EQ(hexString(value), text) << value;
}

}  // namespace
}  // namespace pulvan::model
