#include <gtest/gtest.h>

#include "editor/model/skin.h"

namespace pulvan::model {
namespace {

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
    const std::vector<std::pair<std::int64_t, int>> accents{
        {0, 0x3DC2D2}, {5, 0xCBCACB}, {6, 0x3DC2D2}, {7, 0xDD9DB2}, {-1, 0xCBCACB}, {-6, 0x3DC2D2}, {INT64_MIN, 0xC183BE}};
    for (const auto& [index, accent] : accents) EXPECT_EQ(defaultTrackAccent(index), accent) << index;
    const std::vector<std::pair<std::int64_t, std::string>> texts{
        {0x3DC2D2, "3DC2D2"}, {0xAB, "0000AB"}, {-7, "000000"}, {0x1234567, "FFFFFF"}};
    for (const auto& [value, text] : texts) EXPECT_EQ(hexString(value), text) << value;
}

}  // namespace
}  // namespace pulvan::model
