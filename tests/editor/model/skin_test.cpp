#include <gtest/gtest.h>

#include "editor/model/skin.h"

namespace pulvan::model {
namespace {

TEST(Skin, PaletteIsRepeatedCutOrFilledToSixClampedEntries) {
    struct Row {
        std::vector<std::int64_t> given;
        std::vector<int> palette;
    };
    const std::vector<Row> rows{
        {{}, {0, 0, 0, 0, 0, 0}},
        {{0xA, 0xB}, {0xA, 0xB, 0xA, 0xB, 0xA, 0xB}},
        {{1, 2, 3, 4}, {1, 2, 3, 4, 1, 2}},
        {{1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6}},
        {{-1, 0x1000000, 0xFFFFFF}, {0, 0xFFFFFF, 0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF}},
    };
    for (const Row& row : rows) EXPECT_EQ(Skin("s", 0, row.given).trackAccents(), row.palette);
    EXPECT_EQ(Skin("s", -5, {}).globalAccentHex(), 0);
    EXPECT_EQ(Skin("s", 0x1000000, {}).globalAccentHex(), 0xFFFFFF);
}

TEST(Skin, BuiltInSkinsStartWithTheDefault) {
    ASSERT_EQ(builtInSkins().size(), 2u);
    EXPECT_EQ(&defaultSkin(), &builtInSkins().front());
    EXPECT_EQ(defaultSkin().name(), "Kez default");
    EXPECT_EQ(defaultSkin().globalAccentHex(), 0x607594);
    EXPECT_EQ(builtInSkins()[1].name(), "Kez acid");
    EXPECT_EQ(builtInSkins()[1].trackAccents(), (std::vector<int>{0xFF0000, 0x00FF00, 0x0000FF, 0x660000, 0x006600, 0x000066}));
}

TEST(Skin, DefaultTrackAccentWrapsBothWays) {
    const std::vector<std::pair<std::int64_t, int>> rows{
        {0, 0x3DC2D2}, {5, 0xCBCACB}, {6, 0x3DC2D2}, {7, 0xDD9DB2}, {-1, 0xCBCACB}, {-6, 0x3DC2D2}, {INT64_MIN, 0xC183BE}};
    for (const auto& [index, accent] : rows) EXPECT_EQ(defaultTrackAccent(index), accent) << index;
}

TEST(Skin, HexStringIsSixUpperCaseDigitsOfTheClampedColour) {
    const std::vector<std::pair<std::int64_t, std::string>> rows{
        {0x3DC2D2, "3DC2D2"}, {0, "000000"}, {0xAB, "0000AB"}, {-7, "000000"}, {0x1234567, "FFFFFF"}};
    for (const auto& [value, text] : rows) EXPECT_EQ(hexString(value), text) << value;
}

}  // namespace
}  // namespace pulvan::model
