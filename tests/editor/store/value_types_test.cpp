#include "editor/store/editor_modes.h"
#include "editor/store/midi_learn.h"
#include "editor/store/pattern_generator_303_state.h"

#include <gtest/gtest.h>

#include <set>

using namespace pulvan::store;

TEST(RawValues, ConvertOnlyTheListedCases) {
    for (int raw = 0; raw <= 7; ++raw) EXPECT_EQ(rawValue(*kezModalFromRawValue(raw)), raw);
    for (int raw = 0; raw <= 3; ++raw) EXPECT_EQ(rawValue(*hostedMIDIRecordModeFromRawValue(raw)), raw);
    EXPECT_EQ(patternGenerator303ModeFromRawValue(1), PatternGenerator303Mode::time);
    EXPECT_EQ(kezModalFromRawValue(6), KezModal::patternGenerator303);
    for (int bad : {8, -1}) EXPECT_FALSE(kezModalFromRawValue(bad).has_value()) << bad;
    EXPECT_FALSE(hostedMIDIRecordModeFromRawValue(4).has_value());
    EXPECT_FALSE(patternGenerator303ModeFromRawValue(2).has_value());
}

TEST(PatternGenerator303State, MakeHoldsBothRowsToSixteenStepsAndTimeToItsRange) {
    std::vector<int> time(20, 1);
    time[3] = 5;
    time[4] = -2;
    const auto longer = PatternGenerator303State::make(PatternGenerator303Mode::time, 2, std::vector<PatternGenerator303PitchStep>(20, {61, 1, true, true}),
                                                       time, 90, 120);
    ASSERT_EQ(longer.time.size(), 16u);
    ASSERT_EQ(longer.pitch.size(), 16u);
    EXPECT_EQ(longer.time[3], 2);
    EXPECT_EQ(longer.time[4], 0);
    EXPECT_EQ(longer.pitch[15].pitch, 61);

    const auto shorter = PatternGenerator303State::make(PatternGenerator303Mode::pitch, 0, {{std::nullopt, -1, false, true}}, {2}, 100, 127);
    ASSERT_EQ(shorter.pitch.size(), 16u);
    EXPECT_FALSE(shorter.pitch[0].pitch.has_value());
    EXPECT_EQ(shorter.pitch[1], (PatternGenerator303PitchStep{60, 0, false, false}));
    EXPECT_EQ(shorter.time, (std::vector<int>{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(PatternGenerator303State{}.pitch[7], (PatternGenerator303PitchStep{60, 0, false, false}));
}

TEST(MIDILearnElement, StorageKeysCountFromOneAndMapBack) {
    for (const auto& [element, key] : std::vector<std::pair<MIDILearnElement, std::string>>{
             {MIDILearnElement::scene(0), "scene_1"}, {MIDILearnElement::trackCCB(5), "track_6_cc_b"}, {MIDILearnElement::trackCCA(0), "track_1_cc_a"},
             {MIDILearnElement::mute(1), "mute_2"}, {MIDILearnElement::solo(5), "solo_6"}}) {
        EXPECT_EQ(element.storageKey(), key);
    }
    const auto& all = allLearnableElements();
    ASSERT_EQ(all.size(), 32u);
    EXPECT_EQ(all[8], MIDILearnElement::trackCCA(0));
    EXPECT_EQ(all[31], MIDILearnElement::solo(5));
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

TEST(MIDILearnMappings, ElementsForACCListEveryElementSharingIt) {
    MIDILearnMappings mappings;
    mappings.ccByElement[MIDILearnElement::scene(0)] = 20;
    mappings.ccByElement[MIDILearnElement::mute(2)] = 20;
    mappings.ccByElement[MIDILearnElement::solo(1)] = 21;
    const auto found = mappings.elements(20);
    EXPECT_EQ(std::set<MIDILearnElement>(found.begin(), found.end()),
              (std::set<MIDILearnElement>{MIDILearnElement::scene(0), MIDILearnElement::mute(2)}));
    EXPECT_TRUE(mappings.elements(22).empty());
    EXPECT_EQ(mappings.storageForm().size(), 3u);
}
