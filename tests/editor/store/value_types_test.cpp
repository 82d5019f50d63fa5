#include <gtest/gtest.h>

#include "editor/store/midi_learn.h"
#include "editor/store/pattern_generator_303_state.h"

#include <set>

using namespace pulvan::store;

TEST(PatternGenerator303State, MakeHoldsBothRowsToSixteenStepsAndTimeToItsRange) {
    std::vector<int> time(20, 1);
    time[3] = 5;
    time[4] = -2;
    const auto longer = PatternGenerator303State::make(PatternGenerator303Mode::time, 2,
                                                       std::vector<PatternGenerator303PitchStep>(20, {61, 1, true, true}), time, 90, 120);
    ASSERT_EQ(longer.time.size(), 16u);
    ASSERT_EQ(longer.pitch.size(), 16u);
    EXPECT_EQ(longer.time[3], 2);
    EXPECT_EQ(longer.time[4], 0);
    EXPECT_EQ(longer.pitch[15].pitch, 61);

    const auto shorter =
        PatternGenerator303State::make(PatternGenerator303Mode::pitch, 0, {{std::nullopt, -1, false, true}}, {2}, 100, 127);
    ASSERT_EQ(shorter.pitch.size(), 16u);
    EXPECT_FALSE(shorter.pitch[0].pitch.has_value());
    EXPECT_EQ(shorter.pitch[1], (PatternGenerator303PitchStep{60, 0, false, false}));
    EXPECT_EQ(shorter.time, (std::vector<int>{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// The keys are stored in the user's defaults: they must never change.
TEST(MIDILearnElement, StorageKeysCountFromOneAndMapBack) {
    for (const auto& [element, key] : std::vector<std::pair<MIDILearnElement, std::string>>{{MIDILearnElement::scene(0), "scene_1"},
                                                                                            {MIDILearnElement::trackCCB(5), "track_6_cc_b"},
                                                                                            {MIDILearnElement::trackCCA(0), "track_1_cc_a"},
                                                                                            {MIDILearnElement::mute(1), "mute_2"},
                                                                                            {MIDILearnElement::solo(5), "solo_6"}}) {
        EXPECT_EQ(element.storageKey(), key);
    }
    const auto& all = allLearnableElements();
    std::set<std::string> keys;
    for (const auto& element : all) {
        keys.insert(element.storageKey());
        EXPECT_EQ(learnableElement(element.storageKey()), element);
    }
    EXPECT_EQ(keys.size(), 32u);
    for (const char* unknown : {"scene_0", "scene_9", "solo_7", "track_1_cc_c", "Scene_1", "scene_01", ""}) {
        EXPECT_FALSE(learnableElement(unknown).has_value()) << unknown;
    }
}
