#include "editor/views/main/notes_pool_summary.h"

#include <gtest/gtest.h>

#include "platform/ui/harness.h"

namespace pulvan::views {
namespace {

TEST(PoolNoteName, OctavesCountFromMinusTwo) {
    const std::pair<int, const char*> cases[] = {{0, "C-2"}, {11, "B-2"}, {12, "C-1"}, {60, "C3"}, {61, "C#3"}, {127, "G8"}};
    for (const auto& [note, name] : cases) EXPECT_EQ(poolNoteName(note), name) << note;
}

TEST(NotesPoolSummary, ShowsTheFirstEightAndMarksMore) {
    struct Case {
        int notes;
        int shown;
        bool more;
    };
    for (const Case& c : {Case{0, 0, false}, Case{3, 3, false}, Case{8, 8, false}, Case{9, 8, true}}) {
        SCOPED_TRACE(c.notes);
        std::vector<int> pool;
        for (int i = 0; i < c.notes; ++i) pool.push_back(60 + i);
        ui::Harness h([&] { return NotesPoolSummary{.pool = pool}; }, {500, 60});
        for (int k = 0; k < 9; ++k) {
            const std::string at = std::to_string(k);
            ASSERT_EQ(h.exists("poolNote." + at), k < c.shown);
            if (k >= c.shown) continue;
            EXPECT_EQ(h.frame("poolPosition." + at).x, h.frame("poolNote." + at).x) << "positions over their notes";
            EXPECT_NEAR(h.frame("poolNote." + at).width, 34, 0.01);
            EXPECT_LT(h.frame("poolPosition." + at).y, h.frame("poolNote." + at).y);
        }
        EXPECT_EQ(h.exists("poolPosition.more"), c.more);
        EXPECT_EQ(h.exists("poolNote.more"), c.more);
        if (c.more) {
            EXPECT_NEAR(h.frame("poolNote.more").x - h.frame("poolNote.0").x, 8 * (34 + 4), 0.01);
        }
    }
}

}  // namespace
}  // namespace pulvan::views
