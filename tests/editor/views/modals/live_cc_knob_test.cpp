#include "editor/views/modals/performance_track_live_cc_section.h"
#include "platform/ui/layout.h"
#include "tests/editor/views/modals/modal_view_test.h"

#include <functional>

namespace pulvan::views {
namespace {

// Three sections side by side, built from the store as the performance modal builds them.
struct ThreeSections {
    ui::View body(ui::BuildContext& context) const {
        auto& store = context.object<store::SequencerStore>();
        context.observe(store.didChange);
        ui::Views sections;
        for (int i = 0; i < 3; ++i)
            sections.push_back(PerformanceTrackLiveCCSection{.trackIndex = i, .track = store.preset->tracks[static_cast<std::size_t>(i)]}.frame({.width = 180}));
        return ui::hstackOf({.alignment = ui::Edge::top, .spacing = 20}, sections);
    }
};

class LiveCCKnobTest : public ModalViewTest {
protected:
    bool tracksGiven = (giveTracksDistinctControllers(), true);
    ui::Harness h{[this] { return ui::View(ThreeSections{}).environmentObject(*store); }, {640, 160}};

    // The dial lies over the top 52 points of the knob.
    ui::Point dial(const std::string& knob) const {
        const ui::Rect f = h.frame(knob);
        return {f.midX(), f.minY() + 26};
    }
    int liveA(int track) const { return store->preset->tracks[static_cast<std::size_t>(track)].liveCCA; }
};

TEST_F(LiveCCKnobTest, DragsAndWheelStepsSendEachChangeOnceOnTheTracksChannel) {
    struct Case {
        const char* name;
        std::function<void()> input;
        int expected;
        std::vector<std::array<int, 3>> sent;
    };
    const ui::Point a = dial("knobA0");
    const auto wheel = [&](double upward, bool precise) { h.scroll(a, 0, -upward, ui::ScrollPhase::none, precise); };
    const Case cases[] = {
        {"10 points up from 64 add round(4.5)", [&] { h.drag(a, {a.x, a.y - 10}); }, 69, {cc(1, 20, 65), cc(1, 20, 66), cc(1, 20, 67), cc(1, 20, 69)}},
        {"a drag is measured from its press: 11 points down from 69", [&] { h.drag(a, {a.x, a.y + 11}, 1); }, 64, {cc(1, 20, 64)}},
        {"far down clamps at 0 and sends 0 once", [&] { h.drag(a, {a.x, a.y + 400}, 8); }, 0,
         {cc(1, 20, 41), cc(1, 20, 19), cc(1, 20, 0)}},
        {"two line steps: +1 (carry 0.5), then +2", [&] { wheel(1, false); wheel(1, false); }, 3, {cc(1, 20, 1), cc(1, 20, 3)}},
        {"precise deltas of 2 step only at the fourth", [&] { wheel(2, true); wheel(2, true); wheel(2, true); }, 3, {}},
        {"...the fourth", [&] { wheel(2, true); }, 4, {cc(1, 20, 4)}},
        {"a downward line step spends the carry of about 0.2", [&] { wheel(-1, false); }, 3, {cc(1, 20, 3)}},
        {"a click on the label under the dial starts no drag",
         [&] {
             const ui::Rect f = h.frame("knobA0");
             h.drag({f.midX(), f.maxY() - 4}, {f.midX(), f.maxY() - 60});
         },
         3, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sentMIDI.clear();
        c.input();
        EXPECT_EQ(liveA(0), c.expected);
        EXPECT_EQ(sentMIDI, c.sent);
    }
    EXPECT_TRUE(undoLabels().empty()) << "live values are not undo steps";
}

TEST_F(LiveCCKnobTest, AtTheTopFurtherStepsSendNothing) {
    store->setLiveCCValue(127, 0, model::LaneKind::ccA);
    h.update();
    sentMIDI.clear();
    const ui::Point a = dial("knobA0");
    h.drag(a, {a.x, a.y - 40});
    h.scroll(a, 0, -1);
    EXPECT_EQ(liveA(0), 127);
    EXPECT_TRUE(sentMIDI.empty());
}

TEST_F(LiveCCKnobTest, KnobBOfTrackThreeSendsItsControllerOnItsChannel) {
    const ui::Point b = dial("knobB2");
    h.drag(b, {b.x, b.y - 20}, 1);
    EXPECT_EQ(store->preset->tracks[2].liveCCB, 73);
    EXPECT_EQ(sentMIDI, (std::vector<std::array<int, 3>>{cc(3, 32, 73)}));
}

TEST_F(LiveCCKnobTest, MuteAndSoloToggleTheirTrackAsOneUndoStepEach) {
    h.clickOn("mute1");
    h.clickOn("solo2");
    EXPECT_TRUE(store->preset->tracks[1].mute);
    EXPECT_TRUE(store->preset->tracks[2].solo);
    EXPECT_FALSE(store->preset->tracks[1].solo);
    EXPECT_EQ(undoLabels(), (std::vector<std::string>{"Mute", "Solo"}));
}

}  // namespace
}  // namespace pulvan::views
