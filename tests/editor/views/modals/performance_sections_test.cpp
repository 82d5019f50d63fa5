#include "editor/views/modals/performance_track_live_cc_section.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "tests/editor/views/modals/modal_view_test.h"
#include "tests/platform/ui/golden.h"

#include <functional>

namespace pulvan::views {
namespace {

using model::LaneKind;
using store::MIDILearnElement;

// Three sections side by side, built from the store as the performance modal builds them.
struct ThreeSections {
    ui::View body(ui::BuildContext& context) const {
        auto& store = context.object<store::SequencerStore>();
        context.observe(store.didChange);
        ui::Views sections;
        for (int i = 0; i < 3; ++i)
            sections.push_back(
                PerformanceTrackLiveCCSection{.trackIndex = i, .track = store.preset->tracks[static_cast<std::size_t>(i)]}.frame(
                    {.width = 180}));
        return ui::hstackOf({.alignment = ui::Edge::top, .spacing = 26}, sections)
            .padding(12)
            .background(ui::color(colorFromHex(0x101014)));
    }
};

class LiveCCSectionTest : public ModalViewTest {
protected:
    bool tracksGiven = (giveTracksDistinctControllers(), true);
    ui::Harness h{[this] { return ui::View(ThreeSections{}).environmentObject(*store); }, {640, 150}};

    // The dial lies over the top 52 points of the knob.
    ui::Point dial(const std::string& knob) const { return {h.frame(knob).midX(), h.frame(knob).minY() + 26}; }
    void wheel(const std::string& knob, double upward, bool precise) { h.scroll(dial(knob), 0, -upward, ui::ScrollPhase::none, precise); }
    void dragUp(const std::string& knob, double points, int steps = 4) { h.drag(dial(knob), {dial(knob).x, dial(knob).y - points}, steps); }
    void learnMode(bool on) {
        store->isMIDILearnActive.set(on);
        h.update();
    }
    void learn(MIDILearnElement element, int cc) {
        store->midiLearnMappings.modify([&](store::MIDILearnMappings& m) { m.ccByElement[element] = cc; });
        h.update();
    }
};

TEST_F(LiveCCSectionTest, DragsAndWheelStepsSendEachChangeOnceOnTheTracksChannel) {
    struct Case {
        const char* name;
        std::function<void()> input;
        int track;
        LaneKind kind;
        int expected;
        std::vector<std::array<int, 3>> sent;
    };
    const auto a = LaneKind::ccA;
    const Case cases[] = {
        {"10 points up from 64 add round(4.5)",
         [&] { dragUp("knobA0", 10); },
         0,
         a,
         69,
         {cc(1, 20, 65), cc(1, 20, 66), cc(1, 20, 67), cc(1, 20, 69)}},
        {"a drag counts from its press: 11 down from 69", [&] { dragUp("knobA0", -11, 1); }, 0, a, 64, {cc(1, 20, 64)}},
        {"far down clamps at 0 and sends 0 once",
         [&] { dragUp("knobA0", -400, 8); },
         0,
         a,
         0,
         {cc(1, 20, 41), cc(1, 20, 19), cc(1, 20, 0)}},
        {"two line steps: +1 (carry 0.5), then +2",
         [&] { wheel("knobA0", 1, false), wheel("knobA0", 1, false); },
         0,
         a,
         3,
         {cc(1, 20, 1), cc(1, 20, 3)}},
        {"precise deltas of 2: three steps carry",
         [&] {
             for (int i = 0; i < 3; ++i) wheel("knobA0", 2, true);
         },
         0,
         a,
         3,
         {}},
        {"...the fourth steps, carrying about 0.2", [&] { wheel("knobA0", 2, true); }, 0, a, 4, {cc(1, 20, 4)}},
        {"a downward line step spends the carry", [&] { wheel("knobA0", -1, false); }, 0, a, 3, {cc(1, 20, 3)}},
        {"three line steps queued between two frames each count from the last",
         [&] {
             for (int i = 0; i < 3; ++i) h.root().dispatch(ui::ScrollEvent{.location = dial("knobA0"), .deltaY = -1});
         },
         0,
         a,
         7,
         {cc(1, 20, 4), cc(1, 20, 5), cc(1, 20, 7)}},
        {"a drag from the label under the dial turns nothing",
         [&] {
             h.drag({h.frame("knobA0").midX(), h.frame("knobA0").maxY() - 4}, {h.frame("knobA0").midX(), 0});
         },
         0,
         a,
         7,
         {}},
        {"knob B of track 3: its controller, its channel", [&] { dragUp("knobB2", 20, 1); }, 2, LaneKind::ccB, 73, {cc(3, 32, 73)}},
        {"at 127 further steps send nothing",
         [&] { store->setLiveCCValue(127, 1, a), h.update(), sentMIDI.clear(), dragUp("knobA1", 40), wheel("knobA1", 1, false); },
         1,
         a,
         127,
         {}},
        {"a wild wheel delta stops at 127", [&] { wheel("knobA2", 1e12, false); }, 2, a, 127, {cc(3, 22, 127)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sentMIDI.clear();
        c.input();
        EXPECT_EQ(store->liveCCValue(c.track, c.kind), c.expected);
        EXPECT_EQ(sentMIDI, c.sent);
    }
    EXPECT_TRUE(undoLabels().empty()) << "live values are not undo steps";
    h.clickOn("mute1");
    h.clickOn("solo2");
    EXPECT_TRUE(store->preset->tracks[1].mute && store->preset->tracks[2].solo && !store->preset->tracks[1].solo);
    EXPECT_EQ(undoLabels(), (std::vector<std::string>{"Mute", "Solo"}));
}

TEST_F(LiveCCSectionTest, LearnModeTapsArmOneTargetAndLeaveTheControlAlone) {
    EXPECT_FALSE(h.exists("midiLearn.mute_2")) << "no overlay outside learn mode";
    learnMode(true);
    EXPECT_EQ(h.frame("midiLearn.mute_2"), h.frame("mute1").insetBy(-3, -3)) << "3 points beyond the control";
    const std::pair<std::function<void()>, MIDILearnElement> cases[] = {
        {[&] { h.clickOn("knobA1"); }, MIDILearnElement::trackCCA(1)},
        {[&] { dragUp("knobB0", 30); }, MIDILearnElement::trackCCA(1)},  // a drag is no tap, and turns nothing
        {[&] { h.clickOn("solo0"); }, MIDILearnElement::solo(0)},        // only one target is armed
        {[&] { h.advance(1), h.clickOn("solo0"); }, MIDILearnElement::solo(0)},
    };
    for (const auto& [input, armed] : cases) {
        input();
        EXPECT_EQ(store->midiLearnSelection.get(), armed);
    }
    EXPECT_EQ(store->preset->tracks[0].liveCCB, 64);
    EXPECT_TRUE(sentMIDI.empty() && undoLabels().empty());
}

TEST_F(LiveCCSectionTest, ADoubleClickForgetsTheControllerSavesAndLeavesTheTargetArmed) {
    learnMode(true);
    learn(MIDILearnElement::mute(0), 74);
    learn(MIDILearnElement::solo(0), 75);
    const std::map<MIDILearnElement, int> remaining{{MIDILearnElement::solo(0), 75}};
    for (const char* target : {"mute0", "knobA0"}) {  // the second has nothing to forget
        h.advance(1);
        h.clickOn(target);
        h.advance(0.2);
        h.clickOn(target);
        EXPECT_EQ(store->midiLearnMappings->ccByElement, remaining) << target;
    }
    EXPECT_EQ(store->midiLearnSelection.get(), MIDILearnElement::trackCCA(0));
    EXPECT_EQ(makeStore()->midiLearnMappings->ccByElement, remaining) << "the mappings are saved";
}

TEST_F(LiveCCSectionTest, LooksFollowTheArmedAndLearnedState) {
    ui::expectMatchesGolden(h.render(), "modals/live_cc_sections");
    learnMode(true);
    learn(MIDILearnElement::trackCCA(0), 74);
    learn(MIDILearnElement::mute(1), 7);
    learn(MIDILearnElement::solo(1), 127);
    store->midiLearnSelection.set(MIDILearnElement::mute(1));
    h.update();
    ui::expectMatchesGolden(h.render(), "modals/midi_learn_sections");
}

}  // namespace
}  // namespace pulvan::views
