#include "platform/foundation/pasteboard.h"

#include <gtest/gtest.h>

#include <cstdlib>

using pulvan::foundation::MemoryPasteboard;
using pulvan::foundation::Pasteboard;

namespace {
std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }
constexpr const char* patternType = "com.kezwerk.pulvan.pattern";
}  // namespace

TEST(MemoryPasteboard, HoldsOneValuePerTypeUntilCleared) {
    MemoryPasteboard board;
    EXPECT_FALSE(board.data(patternType).has_value());
    ASSERT_TRUE(board.setData(patternType, bytesOf("first")));
    ASSERT_TRUE(board.setData(Pasteboard::textType, bytesOf("text")));
    ASSERT_TRUE(board.setData(patternType, bytesOf("second")));
    EXPECT_EQ(board.data(patternType), bytesOf("second"));
    EXPECT_EQ(board.data(Pasteboard::textType), bytesOf("text"));
    EXPECT_FALSE(board.data("other").has_value());
    EXPECT_TRUE(board.offers(patternType));
    EXPECT_FALSE(board.offers("other"));
    board.clearContents();
    EXPECT_FALSE(board.offers(patternType));
    EXPECT_FALSE(board.data(patternType).has_value());
    EXPECT_FALSE(board.data(Pasteboard::textType).has_value());
}

TEST(GeneralPasteboard, WithoutADisplayIsOneBoardForTheWholeProcess) {
    unsetenv("DISPLAY");  // the board is chosen at first use, which is here
    Pasteboard& first = Pasteboard::general();
    EXPECT_EQ(&first, &Pasteboard::general());
    EXPECT_NE(dynamic_cast<MemoryPasteboard*>(&first), nullptr);
}
