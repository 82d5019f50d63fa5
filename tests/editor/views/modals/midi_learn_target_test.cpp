#include "editor/views/modals/midi_learn_target.h"
#include "editor/views/modals/performance_track_live_cc_section.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/layout.h"
#include "tests/editor/views/modals/modal_view_test.h"
#include "tests/platform/ui/golden.h"

#include <functional>
#include <optional>

namespace pulvan::views {
namespace {

using store::MIDILearnElement;

// Two sections, built from the store as the performance modal builds them.
struct TwoSections {
    ui::View body(ui::BuildContext& context) const {
        auto& store = context.object<store::SequencerStore>();
        context.observe(store.didChange);
        return ui::hstack({.alignment = ui::Edge::top, .spacing = 26},
                          PerformanceTrackLiveCCSection{.trackIndex = 0, .track = store.preset->tracks[0]}.frame({.width = 180}),
                          PerformanceTrackLiveCCSection{.trackIndex = 1, .track = store.preset->tracks[1]}.frame({.width = 180}))
            .padding(12)
            .background(ui::color(colorFromHex(0x101014)));
    }
};

class MIDILearnTargetTest : public ModalViewTest {
protected:
    bool tracksGiven = (giveTracksDistinctControllers(2), true);
    ui::Harness h{[this] { return ui::View(TwoSections{}).environmentObject(*store); }, {410, 150}};

    void learnMode(bool on) {
        store->isMIDILearnActive.set(on);
        h.update();
    }
    void learn(MIDILearnElement element, int cc) {
        store->midiLearnMappings.modify([&](store::MIDILearnMappings& m) { m.ccByElement[element] = cc; });
        h.update();
    }
};

TEST_F(MIDILearnTargetTest, TapsArmOneTargetAndLeaveTheControlAlone) {
    learnMode(true);
    struct Case {
        const char* name;
        std::function<void()> input;
        std::optional<MIDILearnElement> armed;
    };
    const Case cases[] = {
        {"a tap on knob A of track 2 arms it", [&] { h.clickOn("knobA1"); }, MIDILearnElement::trackCCA(1)},
        {"a drag on a knob arms it and turns nothing",
         [&] {
             const ui::Point p = h.center("knobB0");
             h.drag(p, {p.x, p.y - 30});
         },
         MIDILearnElement::trackCCA(1)},
        {"then the solo button of track 1: only it is armed", [&] { h.clickOn("solo0"); }, MIDILearnElement::solo(0)},
        {"tapping the armed target again keeps it armed", [&] { h.advance(1); h.clickOn("solo0"); }, MIDILearnElement::solo(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.input();
        EXPECT_EQ(store->midiLearnSelection.get(), c.armed);
    }
    EXPECT_EQ(store->preset->tracks[0].liveCCB, 64);
    EXPECT_FALSE(store->preset->tracks[0].solo);
    EXPECT_TRUE(sentMIDI.empty());
    EXPECT_TRUE(undoLabels().empty());
}

TEST_F(MIDILearnTargetTest, TheOverlayReachesThreePointsBeyondTheControl) {
    const ui::Rect control = h.frame("mute1");
    EXPECT_FALSE(h.exists("midiLearn.mute_2")) << "no overlay outside learn mode";
    learnMode(true);
    EXPECT_EQ(h.frame("midiLearn.mute_2"), control.insetBy(-3, -3));
}

TEST_F(MIDILearnTargetTest, ADoubleClickForgetsTheControllerSavesAndLeavesTheTargetArmed) {
    learnMode(true);
    learn(MIDILearnElement::mute(0), 74);
    learn(MIDILearnElement::solo(0), 75);
    store->saveMIDILearnMappings();
    h.clickOn("mute0");
    h.advance(0.2);
    h.clickOn("mute0");
    EXPECT_EQ(store->midiLearnSelection.get(), MIDILearnElement::mute(0));
    const std::map<MIDILearnElement, int> remaining{{MIDILearnElement::solo(0), 75}};
    EXPECT_EQ(store->midiLearnMappings->ccByElement, remaining);
    EXPECT_EQ(makeStore()->midiLearnMappings->ccByElement, remaining) << "the mappings are saved";
    h.advance(1);
    h.clickOn("knobA0");
    h.advance(0.2);
    h.clickOn("knobA0");
    EXPECT_EQ(store->midiLearnMappings->ccByElement, remaining) << "forgetting an unlearned target changes nothing";
}

TEST_F(MIDILearnTargetTest, LooksFollowTheArmedAndLearnedState) {
    learnMode(true);
    learn(MIDILearnElement::trackCCA(0), 74);  // learned
    learn(MIDILearnElement::mute(1), 7);       // learned and armed
    store->midiLearnSelection.set(MIDILearnElement::mute(1));
    learn(MIDILearnElement::solo(1), 127);
    store->midiLearnSelection.set(MIDILearnElement::mute(1));
    h.update();
    ui::expectMatchesGolden(h.render(), "modals/midi_learn_sections");
    learnMode(false);
    ui::expectMatchesGolden(h.render(), "modals/live_cc_sections");
}

}  // namespace
}  // namespace pulvan::views
