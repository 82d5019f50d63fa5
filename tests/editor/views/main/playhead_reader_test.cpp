#include "editor/views/main/playhead_reader.h"

#include "platform/ui/content.h"
#include "platform/ui/harness.h"
#include "platform/ui/layout.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::views {
namespace {

// A sibling of the reader that counts how often it is built.
struct CountedSibling {
    int* builds;
    ui::View body(ui::BuildContext&) const {
        ++*builds;
        return ui::text("sibling");
    }
};

class PlayheadReaderTest : public test::StoreTest {};

TEST_F(PlayheadReaderTest, OnlyTheReaderFollowsThePlayheadAndTheStore) {
    auto store = makeStore();
    int siblingBuilds = 0, readerBuilds = 0;  // reader builds: its content made
    using Shown = std::pair<int, double>;
    Shown shown;
    const PlayheadReader<Shown> reader{
        .value =
            [&](const store::SequencerStore& s) {
                return Shown{s.activeTrackIndex.get(), s.playhead.resyncMeasureProgress.get()};
            },
        .content =
            [&](const Shown& value) {
                ++readerBuilds;
                shown = value;
                return ui::text(std::to_string(value.second));
            },
    };
    ui::Harness harness(
        [&] { return ui::hstack({}, CountedSibling{&siblingBuilds}, reader).environmentObject(*store).environmentObject(store->playhead); },
        {200, 40});
    ASSERT_EQ(readerBuilds, 1);

    struct Case {
        const char* name;
        std::function<void()> change;
        Shown shown;
        int builds;
    };
    const Case cases[] = {
        {"a playhead change", [&] { store->playhead.resyncMeasureProgress.set(0.5); }, Shown{0, 0.5}, 2},
        {"a playhead update that leaves the value as it was", [&] { store->playhead.resyncMeasureProgress.set(0.5); }, Shown{0, 0.5}, 2},
        {"a store change the playhead does not publish", [&] { store->activeTrackIndex.set(1); }, Shown{1, 0.5}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        harness.update();
        EXPECT_EQ(readerBuilds, c.builds);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(siblingBuilds, 1);
    }
}

}  // namespace
}  // namespace pulvan::views
