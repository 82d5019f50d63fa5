#include "editor/store/undo_history.h"

#include <gtest/gtest.h>

#include "editor/model/preset.h"
#include "editor/store/preset_snapshot.h"
#include "tests/editor/store/command_presets.h"

using pulvan::model::Preset;
using pulvan::store::PresetSnapshot;
using pulvan::store::UndoHistory;

namespace {

Preset fullPreset() { return pulvan::test::presetWithTracks(6); }

Preset withOctave(Preset preset, int octave) {
    preset.tracks[0].octave = octave;
    return preset;
}

}  // namespace

TEST(UndoHistory, TheFiftyFirstEditEvictsTheInitialEntry) {
    const Preset base = fullPreset();
    UndoHistory history(base);
    for (int i = 1; i <= 51; ++i) history.pushUndoSnapshot(withOctave(base, i), "edit " + std::to_string(i));
    EXPECT_EQ(history.count(), 50);
    EXPECT_EQ(history.index(), 49);
    EXPECT_EQ(history.label(0), "edit 2");
    EXPECT_EQ(history.label(49), "edit 51");
    EXPECT_TRUE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
    EXPECT_FALSE(history.stepForward().has_value());
    EXPECT_EQ(history.snapshot(0).tracks[0].octave, 2);
}

TEST(UndoHistory, APresetEqualToTheCurrentEntryIsRecordedAndSharesItsParts) {
    const Preset base = fullPreset();
    UndoHistory history(base);
    history.pushUndoSnapshot(withOctave(base, 1), "edit");
    history.stepBack();
    history.pushUndoSnapshot(base, "same as after undo");
    EXPECT_EQ(history.labels(), (std::vector<std::string>{"initial", "same as after undo"}));
    EXPECT_FALSE(history.canRedo()) << "the unchanged entry still drops the redo tail";
    EXPECT_TRUE(history.storedSnapshot(1).sharesEverythingWith(history.storedSnapshot(0)));
}

TEST(PresetSnapshot, SharesUnchangedPatternsAndCopiesTheChangedOne) {
    Preset preset = fullPreset();
    const auto first = PresetSnapshot::capture(preset);
    preset.tracks[2].patterns[5].direction = pulvan::model::PatternDirection::random;
    const auto second = PresetSnapshot::capture(preset, &first);
    for (std::size_t t = 0; t < 6; ++t) {
        for (std::size_t p = 0; p < 8; ++p) {
            EXPECT_EQ(second.sharesPatternWith(first, t, p), !(t == 2 && p == 5)) << t << "/" << p;
        }
    }
    EXPECT_FALSE(second.sharesEverythingWith(first));
    EXPECT_EQ(second.preset(), preset);
    EXPECT_NE(first.preset(), preset) << "the earlier snapshot is not changed through the shared parts";
}

TEST(PresetSnapshot, KeepsEveryFieldOfPresetAndTracks) {
    Preset preset = fullPreset();
    preset.notesPoolInput = pulvan::model::NotesPoolInput::midiIn;
    preset.notesPool = {1, 2, 3};
    preset.swingPercent = 61;
    preset.currentSceneIndex.reset();
    preset.currentTrackPatternIndices = std::vector<int>{1, 2, 3, 4, 5, 6};
    preset.sceneLaunchResolution = 4;
    preset.patternLaunchResolution = 8;
    preset.resyncOnNewScene = true;
    preset.chordPresets.resize(3);
    auto& track = preset.tracks[4];
    track.name = "Bass";
    track.mute = track.solo = track.poly = track.legacyChromatic = true;
    track.accentColorHex = 0x123456;
    track.liveCCA = 5;
    track.liveCCB = 6;
    track.octave = -2;
    track.transpose = 7;
    track.outputChord = {0, 7};
    track.midiOutputChannel = 10;
    track.midiOutOffsetMs = -150;
    track.ccA = 20;
    track.ccB = 21;
    track.portamentoCC = 5;
    track.portamentoOnValue = 100;
    track.portamentoOffValue = 3;
    track.fillEmpty = pulvan::model::FillEmpty::empty;
    track.patterns.pop_back();
    const auto snapshot = PresetSnapshot::capture(preset);
    EXPECT_EQ(snapshot.preset(), preset);
    const auto again = PresetSnapshot::capture(preset, &snapshot);
    EXPECT_TRUE(again.sharesEverythingWith(snapshot));
}
