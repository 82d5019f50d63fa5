#include <gtest/gtest.h>

#include "editor/model/preset.h"
#include "editor/model/skin.h"

namespace pulvan::model {
namespace {

TEST(Defaults, LanesHoldTheirKindsDefaultAndOnlyNotesHasChords) {
    for (const LaneKind kind : allLaneKinds) {
        const Lane lane = defaultLane(kind);
        EXPECT_EQ(lane.lastStep, 16);
        EXPECT_EQ(lane.steps, std::vector<int>(64, defaultStepValue(kind)));
        if (kind == LaneKind::notes) {
            EXPECT_EQ(lane.noteStepChords, std::vector<Chord>(64, Chord{0}));
        } else {
            EXPECT_FALSE(lane.noteStepChords) << rawValue(kind);
        }
    }
}

TEST(Defaults, PresetFieldByField) {
    const Preset preset = defaultPreset();
    EXPECT_EQ(preset.version, "v11");
    EXPECT_EQ(preset.notesPoolInput, NotesPoolInput::internalChord);
    EXPECT_TRUE(preset.notesPool.empty());
    EXPECT_EQ(preset.swingPercent, 50);
    EXPECT_EQ(preset.currentSceneIndex, 0);
    EXPECT_FALSE(preset.currentTrackPatternIndices);
    EXPECT_EQ(preset.sceneLaunchResolution, 1);
    EXPECT_EQ(preset.patternLaunchResolution, 1);
    EXPECT_FALSE(preset.resyncOnNewScene);
    ASSERT_EQ(preset.chordPresets.size(), 8u);
    EXPECT_EQ(preset.chordPresets[0].chord, (std::vector<int>{60, 64, 67}));
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(preset.chordPresets[i].patterns, std::vector<std::optional<int>>(6));
        if (i > 0) {
            EXPECT_TRUE(preset.chordPresets[i].chord.empty());
        }
    }
    ASSERT_EQ(preset.tracks.size(), 1u);
    const Track& track = preset.tracks[0];
    EXPECT_NE(track.id, foundation::Uuid{});
    EXPECT_EQ(track.name, "Track 1");
    EXPECT_EQ(track.accentColorHex, 0x3DC2D2);
    EXPECT_EQ(track.midiOutputChannel, 1);
    EXPECT_EQ(track.ccA, 1);
    EXPECT_EQ(track.ccB, 2);
    EXPECT_EQ(track.portamentoOnValue, 127);
    EXPECT_EQ(track.fillEmpty, FillEmpty::circularOctUp);
    ASSERT_EQ(track.patterns.size(), 8u);
    for (const Pattern& pattern : track.patterns) EXPECT_EQ(pattern, defaultPattern());
    EXPECT_EQ(defaultPattern().lanes.size(), 10u);
    EXPECT_NE(defaultPreset().tracks[0].id, track.id);
}

TEST(Defaults, ScenePatternsAreSixSlotsOfOneToEight) {
    using Slots = std::vector<std::optional<int>>;
    const std::vector<std::pair<Slots, Slots>> rows{
        {{0, 9, 3}, {std::nullopt, std::nullopt, 3, std::nullopt, std::nullopt, std::nullopt}},
        {{}, Slots(6)},
        {{1, 8, std::nullopt, 2, 2, 2, 7, 7}, {1, 8, std::nullopt, 2, 2, 2}},
        {{-1, INT32_MAX, 8, 1}, {std::nullopt, std::nullopt, 8, 1, std::nullopt, std::nullopt}},
    };
    for (const auto& [given, expected] : rows) EXPECT_EQ(normalizedScenePatterns(given), expected);
}

TEST(Defaults, PatternIndicesFollowTheTrackCount) {
    using Indices = std::optional<std::vector<int>>;
    struct Row {
        Indices given;
        std::int64_t trackCount;
        Indices expected;
    };
    const std::vector<Row> rows{
        {std::nullopt, 3, std::nullopt},
        {std::vector<int>{9, -1}, 3, std::vector<int>{7, 0, 0}},
        {std::vector<int>{9, -1}, 7, std::vector<int>{7, 0, 0, 0, 0, 0}},
        {std::vector<int>{1, 2, 3}, 1, std::vector<int>{1}},
        {std::vector<int>{1, 2, 3}, -4, std::vector<int>{}},
    };
    for (const Row& row : rows) EXPECT_EQ(normalizedPatternIndices(row.given, row.trackCount), row.expected);
}

TEST(Defaults, LaunchResolutionsKeepOnlyTheFourChoices) {
    for (const int kept : {1, 4, 8, 16}) EXPECT_EQ(normalizedLaunchResolution(kept), kept);
    for (const std::int64_t other : {std::int64_t{0}, std::int64_t{2}, std::int64_t{3}, std::int64_t{32}, std::int64_t{-1}, INT64_MAX}) EXPECT_EQ(normalizedLaunchResolution(other), 16);
}

}  // namespace
}  // namespace pulvan::model
