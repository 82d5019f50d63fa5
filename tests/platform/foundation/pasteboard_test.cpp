#include "platform/foundation/pasteboard.h"

#include <gtest/gtest.h>

#include <cstdlib>

using pulvan::foundation::MemoryPasteboard;
using pulvan::foundation::Pasteboard;

namespace {
std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }
}  // namespace

TEST(MemoryPasteboard, HoldsOneValuePerTypeUntilCleared) {
    MemoryPasteboard board;
    EXPECT_FALSE(board.data("com.kezwerk.pulvan.pattern").has_value());
    board.clearContents();
    ASSERT_TRUE(board.setData("com.kezwerk.pulvan.pattern", bytesOf("first")));
    ASSERT_TRUE(board.setData(Pasteboard::textType, bytesOf("text")));
    ASSERT_TRUE(board.setData("com.kezwerk.pulvan.pattern", bytesOf("second")));
    EXPECT_EQ(board.data("com.kezwerk.pulvan.pattern"), bytesOf("second"));
    EXPECT_EQ(board.data(Pasteboard::textType), bytesOf("text"));
    EXPECT_FALSE(board.data("other").has_value());
    board.clearContents();
    EXPECT_FALSE(board.data("com.kezwerk.pulvan.pattern").has_value());
    EXPECT_FALSE(board.data(Pasteboard::textType).has_value());
}

TEST(GeneralPasteboard, WithoutADisplayIsOneBoardForTheWholeProcess) {
    unsetenv("DISPLAY");  // the board is chosen at first use, which is here
    Pasteboard& first = Pasteboard::general();
    Pasteboard& second = Pasteboard::general();
    EXPECT_EQ(&first, &second);
    EXPECT_NE(dynamic_cast<MemoryPasteboard*>(&first), nullptr);
    first.clearContents();
    first.setData("com.kezwerk.pulvan.pattern", bytesOf("shared"));
    EXPECT_EQ(second.data("com.kezwerk.pulvan.pattern"), bytesOf("shared"));
}
