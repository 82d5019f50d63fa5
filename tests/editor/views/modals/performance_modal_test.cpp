#include "editor/views/modals/performance_modal.h"

#include "editor/views/shell/environment_keys.h"
#include "tests/editor/views/modals/modal_view_test.h"
#include "tests/platform/ui/golden.h"

#include <functional>

namespace pulvan::views {
namespace {

using store::KezModal;

class PerformanceModalTest : public ModalViewTest {
protected:
    double viewportWidth = 840;
    std::unique_ptr<ui::Harness> h;

    void open(int tracks, double width = 840, ui::Size size = {860, 520}) {
        giveTracksDistinctControllers(tracks);
        viewportWidth = width;
        store->setActiveModal(KezModal::performance);
        h = std::make_unique<ui::Harness>(
            [this] {
                return PerformanceModal{}
                    .testId("performanceModal")
                    .environment<KezModalViewportWidthKey>(viewportWidth)
                    .environmentObject(*store)
                    .environmentObject(store->playhead);
            },
            size);
    }
    int shownSections() const {
        int n = 0;
        while (h->exists("knobA" + std::to_string(n))) ++n;
        return n;
    }
};

TEST_F(PerformanceModalTest, ThePanelWidthFollowsTheViewportWithinItsLimits) {
    const std::pair<double, double> cases[] = {{300, 360}, {700, 700}, {1200, 840}};
    for (const auto& [viewport, panel] : cases) {
        open(2, viewport, {1240, 520});
        EXPECT_EQ(h->frame("performanceModal").width, panel) << viewport;
    }
    h->clickOn("modal.close");
    EXPECT_EQ(store->activeModal().get(), std::nullopt);
}

TEST_F(PerformanceModalTest, OneSectionPerShownTrackInAGridOfAdaptiveColumns) {
    struct Case {
        int tracks;
        int shown;
        std::vector<int> rowOf;  // the grid row of each section, four to a row
    };
    const Case cases[] = {
        {1, 1, {0}},
        {2, 2, {0, 0}},
        {3, 3, {0, 0, 0}},
        {4, 4, {0, 0, 0, 0}},
        {5, 5, {0, 0, 0, 0, 1}},
        {6, 6, {0, 0, 0, 0, 1, 1}},
        {8, 6, {0, 0, 0, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tracks);
        store = makeStore();
        open(c.tracks);
        ASSERT_EQ(shownSections(), c.shown);
        const double firstRowY = h->frame("knobA0").minY();
        const double column = h->frame("knobA0").minX();
        for (int i = 0; i < c.shown; ++i) {
            const ui::Rect knob = h->frame("knobA" + std::to_string(i));
            EXPECT_EQ(knob.minY() > firstRowY, c.rowOf[static_cast<std::size_t>(i)] == 1) << i;
            // Four columns in the 804 points inside the panel's padding, 26 apart: 181.5 wide.
            EXPECT_EQ(knob.minX(), column + (i % 4) * (181.5 + 26)) << i;
        }
    }
}

TEST_F(PerformanceModalTest, ThePinButtonTogglesTheStoredPinAndIsAbsentInAPluginHost) {
    open(2);
    EXPECT_TRUE(h->exists("pin"));
    h->clickOn("pin");
    EXPECT_TRUE(store->pinPerformanceDialog().get());
    EXPECT_EQ(store->activeModal().get(), KezModal::performance) << "pinning leaves it open";
    EXPECT_TRUE(makeStore()->pinPerformanceDialog().get()) << "saved with the preferences";
    ui::expectMatchesGolden(h->render(), "modals/performance_pinned");
    h->advance(1);
    h->clickOn("pin");
    EXPECT_FALSE(store->pinPerformanceDialog().get());
    EXPECT_EQ(store->activeModal().get(), std::nullopt) << "unpinning closes it";

    store->forcePinnedPerformanceDialog = true;
    open(2);
    EXPECT_FALSE(h->exists("pin"));
    ui::expectMatchesGolden(h->render(), "modals/performance_plugin_host");
}

TEST_F(PerformanceModalTest, ASceneCellSwitchesThePoolToScenesThenSelects) {
    store->preset.modify([](model::Preset& p) {
        for (std::size_t i = 0; i < p.chordPresets.size(); ++i) p.chordPresets[i].chord = {60 + static_cast<int>(i)};
    });
    open(2);
    struct Case {
        const char* name;
        model::NotesPoolInput input;
        bool learn;
        int cell;
        int activeScene;
        std::vector<std::string> undo;
    };
    const Case cases[] = {
        {"following the MIDI input: one input step, then the select",
         model::NotesPoolInput::midiIn,
         false,
         2,
         2,
         {"Input mode", "Select chord"}},
        {"following the scenes: only the select", model::NotesPoolInput::internalChord, false, 4, 4, {"Select chord"}},
        {"in learn mode: nothing but the arming", model::NotesPoolInput::midiIn, true, 6, 4, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store->preset.modify([&](model::Preset& p) { p.notesPoolInput = c.input; });
        store->isMIDILearnActive.set(c.learn);
        h->advance(1);
        const auto before = undoLabels().size();
        h->clickOn("scene" + std::to_string(c.cell));
        EXPECT_EQ(store->activeSceneIndex.get(), c.activeScene);
        EXPECT_EQ(store->preset->notesPoolInput, c.learn ? c.input : model::NotesPoolInput::internalChord);
        const auto labels = undoLabels();
        EXPECT_EQ(std::vector<std::string>(labels.begin() + static_cast<std::ptrdiff_t>(before), labels.end()), c.undo);
    }
    EXPECT_EQ(store->midiLearnSelection.get(), store::MIDILearnElement::scene(6));
}

TEST_F(PerformanceModalTest, APendingLaunchShowsItsProgressOnlyAtABarOrABeat) {
    open(2);
    const auto renderWith = [&](int resolution, std::optional<int> pending) {
        store->preset.modify([&](model::Preset& p) { p.sceneLaunchResolution = resolution; });
        store->pendingSceneSelectionIndex = pending;
        store->playhead.sceneSelectionProgress.set(pending ? 0.5 : 0.0);
        h->update();
        return h->render();
    };
    const std::pair<int, bool> cases[] = {{16, false}, {8, false}, {4, true}, {1, true}};
    for (const auto& [resolution, shows] : cases) {
        SCOPED_TRACE(resolution);
        const ui::Bitmap idle = renderWith(resolution, std::nullopt);
        const ui::Bitmap pending = renderWith(resolution, 3);
        EXPECT_EQ(pending.compare(idle, 2).differingPixels > 0, shows);
    }
    ui::expectMatchesGolden(h->render(), "modals/performance_launch_progress");
}

TEST_F(PerformanceModalTest, TheResolutionButtonOpensItsDropdown98PointsWide) {
    open(2);
    h->clickOn("sceneLaunchResolution");
    ASSERT_TRUE(store->dropdown.get());
    EXPECT_EQ(store->dropdown.get()->width, 98);
    EXPECT_EQ(store->dropdown.get()->items.size(), 4u);
}

TEST_F(PerformanceModalTest, LearnModeGolden) {
    open(6);
    store->isMIDILearnActive.set(true);
    store->midiLearnMappings.modify([](store::MIDILearnMappings& m) {
        m.ccByElement[store::MIDILearnElement::scene(0)] = 20;
        m.ccByElement[store::MIDILearnElement::trackCCB(1)] = 74;
        m.ccByElement[store::MIDILearnElement::solo(4)] = 101;
    });
    store->midiLearnSelection.set(store::MIDILearnElement::mute(2));
    h->update();
    ui::expectMatchesGolden(h->render(), "modals/performance_midi_learn");
}

}  // namespace
}  // namespace pulvan::views
