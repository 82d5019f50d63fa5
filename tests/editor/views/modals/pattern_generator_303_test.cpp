#include "editor/views/modals/pattern_generator_303_keys.h"
#include "editor/views/modals/pattern_generator_303_modal.h"
#include "editor/views/shell/environment_keys.h"
#include "tests/editor/views/modals/modal_test_rig.h"
#include "tests/platform/ui/golden.h"

#include <array>

namespace pulvan::views::test {
namespace {

using store::KezModal;
using store::PatternGenerator303Mode;
using L = PatternGenerator303Layout;

using Sent = SentMIDI;

class PatternGenerator303Test : public ModalTest {
protected:
    void SetUp() override {
        store.setPatternGenerator303Mode(PatternGenerator303Mode::pitch);
        store.togglePatternGenerator303Modal();
        ASSERT_EQ(store.activeModal().get(), KezModal::patternGenerator303);
        showModal();
    }
    // At the width the modal host grants it.
    void showModal() {
        show([] { return ui::View(PatternGenerator303Modal{}).environment<KezModalViewportWidthKey>(940); }, {1000, 560});
    }
    const store::PatternGenerator303State& programme() const { return store.patternGenerator303.get(); }
    void setGateLastStep(int lastStep) {
        store.preset.modify([&](model::Preset& p) {
            for (auto& pattern : p.tracks[0].patterns) pattern.lanes[model::LaneKind::gate].lastStep = lastStep;
        });
        harness->update();
    }
    void hold(const std::string& id) { harness->press(harness->center(id)); }
    void release(const std::string& id) { harness->release(harness->center(id)); }
    int undoEntries() const { return store.history().count(); }
};

TEST(PatternGenerator303Sizes, PanelAndKeyWidths) {
    const std::pair<double, double> panels[] = {{300, 360}, {360, 360}, {700, 700}, {1200, 940}};
    for (const auto& [granted, width] : panels) EXPECT_EQ(PatternGenerator303Modal::panelWidth(granted), width);
    const std::pair<double, double> keys[] = {{300, 28.75}, {200, 24}, {446, 47}};
    for (const auto& [reader, key] : keys) EXPECT_EQ(L::keyWidth(reader), key);
}

TEST(PatternGenerator303Display, WhatTheSurfacesShow) {
    store::PatternGenerator303State programme;
    programme.stepIndex = 2;
    programme.pitch[2] = {75, 1, true, false};  // above the octave: the key is clamped to 12
    programme.time[2] = 2;
    using P = PatternGenerator303PressState;
    struct Case {
        const char* name;
        store::PatternGenerator303Mode mode;
        int stepIndex;
        P press;
        bool shows;
        std::optional<int> key, time;
    };
    const auto pitch = store::PatternGenerator303Mode::pitch, time = store::PatternGenerator303Mode::time;
    const Case cases[] = {
        {"nothing held", pitch, 2, {}, false, std::nullopt, std::nullopt},
        {"a key held", pitch, 2, {.pressedPitchClass = 4, .isPitchEntryPressing = true}, true, 4, 2},
        {"Next held", pitch, 2, {.isNavigationStepStateVisible = true}, true, 12, 2},
        {"a key while Next held",
         pitch,
         2,
         {.pressedPitchClass = 7, .isNavigationStepStateVisible = true, .isPitchEntryPressing = true},
         true,
         7,
         2},
        {"a time button held", time, 2, {.pressedTimeState = 0, .isTimeEntryPressing = true}, true, 12, 0},
        {"Back held past the programme", time, 20, {.isNavigationStepStateVisible = true}, true, std::nullopt, 1},
    };
    for (const Case& c : cases) {
        programme.mode = c.mode;
        programme.stepIndex = c.stepIndex;
        const auto d = PatternGenerator303Display::of(programme, c.press);
        EXPECT_EQ(d.showsCurrentStep, c.shows) << c.name;
        EXPECT_EQ(d.highlightedPitchKey, c.key) << c.name;
        EXPECT_EQ(d.highlightedTimeValue, c.time) << c.name;
    }
}

TEST_F(PatternGenerator303Test, KeyRowsSitAboveEachOtherHalfAKeyApart) {
    const ui::Rect c = harness->frame("303.key.0"), cSharp = harness->frame("303.key.1"), upperC = harness->frame("303.key.12");
    EXPECT_EQ(c.width, 47);  // a 446-wide keyboard: 940 less padding, spacings, a divider and the 413 right block
    EXPECT_EQ(c.height, L::keyHeight);
    EXPECT_EQ(cSharp.x, c.x + 47 / 2.0);
    EXPECT_EQ(c.y - cSharp.y, L::keyHeight + L::keySpacing);
    EXPECT_EQ(upperC.x, c.x + 7 * (47 + L::keySpacing));
}

TEST_F(PatternGenerator303Test, KeysEnterPitchesAtTheCursorAndMoveOn) {
    struct Case {
        const char* key;
        int expectedPitch;
    };
    int step = 0;
    for (const Case& c : {Case{"303.key.4", 64}, Case{"303.key.1", 61}, Case{"303.key.12", 72}}) {
        harness->clickOn(c.key);
        EXPECT_EQ(programme().pitch[static_cast<std::size_t>(step)].pitch, c.expectedPitch) << c.key;
        EXPECT_EQ(programme().stepIndex, ++step);
    }
    setGateLastStep(4);
    harness->clickOn("303.key.0");
    harness->clickOn("303.key.2");  // at the last step the cursor stays
    EXPECT_EQ(programme().stepIndex, 3);
    EXPECT_EQ(programme().pitch[3].pitch, 62);
}

TEST_F(PatternGenerator303Test, AKeyAuditionsWhileHeldAndEntersWithTheStepsOctave) {
    store.updatePatternGenerator303State([](store::PatternGenerator303State& s) { s.pitch[0].octave = 1; });
    sent.clear();
    hold("303.key.12");
    EXPECT_EQ(sent, (std::vector<Sent>{{0x90, 84, 100}}));
    release("303.key.12");
    EXPECT_EQ(sent.back(), (Sent{0x80, 84, 0}));
    EXPECT_EQ(programme().pitch[0].pitch, 72);
    EXPECT_EQ(programme().pitch[0].octave, 1);
}

TEST_F(PatternGenerator303Test, TimeModeKeysAreDeadAndTimeButtonsEnterValues) {
    harness->clickOn("303.mode.time");
    ASSERT_EQ(programme().mode, PatternGenerator303Mode::time);
    const auto before = programme();
    harness->clickOn("303.key.4");
    EXPECT_EQ(programme(), before);
    const std::pair<const char*, int> taps[] = {{"303.time.1", 1}, {"303.time.2", 2}, {"303.time.0", 0}, {"303.time.2", 2}};
    for (std::size_t i = 0; i < std::size(taps); ++i) {
        harness->clickOn(taps[i].first);
        EXPECT_EQ(programme().time[i], taps[i].second) << i;
    }
    EXPECT_EQ(programme().stepIndex, 4);
    EXPECT_TRUE(sent.empty());  // time buttons play nothing
}

TEST_F(PatternGenerator303Test, AttributeButtonsToggleTheStepAtTheCursor) {
    harness->clickOn("303.key.0");
    harness->clickOn("303.back");
    struct Case {
        const char* button;
        int octave;
        bool accent, slide;
    };
    const Case cases[] = {{"303.attribute.up", 1, false, false},   {"303.attribute.down", -1, false, false},
                          {"303.attribute.down", 0, false, false}, {"303.attribute.down", -1, false, false},
                          {"303.attribute.up", 1, false, false},   {"303.attribute.accent", 1, true, false},
                          {"303.attribute.slide", 1, true, true}};
    for (const Case& c : cases) {
        harness->clickOn(c.button);
        const auto& step = programme().pitch[0];
        EXPECT_EQ(step.octave, c.octave) << c.button;
        EXPECT_EQ(step.accent, c.accent) << c.button;
        EXPECT_EQ(step.slide, c.slide) << c.button;
        EXPECT_EQ(programme().stepIndex, 0);
    }
}

TEST_F(PatternGenerator303Test, BackMovesThenAuditionsNextAuditionsThenMoves) {
    store.updatePatternGenerator303State([](store::PatternGenerator303State& s) { s.pitch[1].pitch = 67; });
    sent.clear();
    hold("303.back");  // at step 1 it stays there and auditions it
    EXPECT_EQ(programme().stepIndex, 0);
    EXPECT_EQ(sent, (std::vector<Sent>{{0x90, 60, 100}}));
    release("303.back");
    hold("303.next");
    EXPECT_EQ(programme().stepIndex, 0);
    release("303.next");
    EXPECT_EQ(programme().stepIndex, 1);
    hold("303.next");
    EXPECT_EQ(sent.back(), (Sent{0x90, 67, 100}));
    release("303.next");
    EXPECT_EQ(sent.back(), (Sent{0x80, 67, 0}));
    EXPECT_EQ(programme().stepIndex, 2);
    setGateLastStep(3);
    for (int i = 0; i < 3; ++i) harness->clickOn("303.next");
    EXPECT_EQ(programme().stepIndex, 2);  // stops at the step limit
}

TEST_F(PatternGenerator303Test, DoubleTappingTheIndicatorReturnsTheCursorOnly) {
    harness->clickOn("303.key.4");
    harness->clickOn("303.key.5");
    const model::Preset pattern = store.preset.get();
    const int entries = undoEntries();
    harness->advance(1);
    harness->clickOn("303.stepIndicator");
    EXPECT_EQ(programme().stepIndex, 2);
    harness->advance(0.1);
    harness->clickOn("303.stepIndicator");
    EXPECT_EQ(programme().stepIndex, 0);
    EXPECT_EQ(store.preset.get(), pattern);
    EXPECT_EQ(undoEntries(), entries);
}

TEST_F(PatternGenerator303Test, ClearKeepsTheModeAndSilencesTheProgramme) {
    for (const char* mode : {"303.mode.pitch", "303.mode.time"}) {
        harness->clickOn(mode);
        harness->clickOn("303.next");
        store.updatePatternGenerator303State([](store::PatternGenerator303State& s) {
            s.time = std::vector<int>(16, 1);
            s.pitch[3] = {65, 1, true, true};
        });
        const auto modeBefore = programme().mode;
        harness->clickOn("303.clear");
        EXPECT_EQ(programme().mode, modeBefore) << mode;
        EXPECT_EQ(programme().stepIndex, 0);
        EXPECT_EQ(programme().time, std::vector<int>(16, 0));
        EXPECT_EQ(programme().pitch, std::vector<store::PatternGenerator303PitchStep>(16));
    }
}

TEST_F(PatternGenerator303Test, VelocityDragsSixPointsAUnitUp) {
    struct Case {
        const char* control;
        int start;
        double dy;
        int expected;
    };
    const Case cases[] = {{"303.velocity.accent", 100, -13, 102},
                          {"303.velocity.accent", 100, -15, 103},
                          {"303.velocity.noAccent", 10, 200, 0},
                          {"303.velocity.noAccent", 120, -60, 127},
                          {"303.velocity.accent", 64, 3, 63}};  // -0.5 rounds away from zero
    for (const Case& c : cases) {
        store.updatePatternGenerator303State([&](store::PatternGenerator303State& s) { s.noAccentVelocity = s.accentVelocity = c.start; });
        harness->update();
        const ui::Point from = harness->center(c.control);
        harness->drag(from, {from.x + 5, from.y + c.dy}, 5);
        const auto& p = programme();
        EXPECT_EQ(std::string(c.control) == "303.velocity.accent" ? p.accentVelocity : p.noAccentVelocity, c.expected) << c.control << c.dy;
    }
    EXPECT_EQ(PatternGenerator303VelocityControl::draggedValue(100, 15), 97);  // -2.5 rounds away from zero
}

TEST_F(PatternGenerator303Test, ClosingLeavesOneUndoEntryAfterAChangeAndNoneOtherwise) {
    const int before = undoEntries();
    harness->clickOn("303.key.4");
    harness->clickOn("303.key.7");
    harness->clickOn("modal.close");
    EXPECT_EQ(store.activeModal().get(), std::nullopt);
    ASSERT_EQ(undoEntries(), before + 1);
    EXPECT_EQ(store.history().label(before), "303 pattern generator");

    store.togglePatternGenerator303Modal();
    showModal();
    harness->clickOn("303.next");
    harness->clickOn("303.mode.time");
    harness->clickOn("modal.close");
    EXPECT_EQ(undoEntries(), before + 1);
}

TEST_F(PatternGenerator303Test, Golden) {
    harness->clickOn("303.key.3");
    harness->clickOn("303.key.10");
    harness->clickOn("303.attribute.accent");
    hold("303.back");
    expectMatchesGolden(harness->render(), "pattern_generator_303_pitch");
    release("303.back");
    harness->clickOn("303.mode.time");
    harness->clickOn("303.time.1");
    harness->clickOn("303.time.2");
    hold("303.back");
    expectMatchesGolden(harness->render(), "pattern_generator_303_time");
    release("303.back");
}

}  // namespace
}  // namespace pulvan::views::test
