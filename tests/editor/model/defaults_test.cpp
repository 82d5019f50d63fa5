#include <gtest/gtest.h>

#include "editor/model/preset.h"

namespace pulvan::model {
namespace {

TEST(Defaults, PresetFieldByField) {
    // Every value spelled out, so that a wrong member default shows up here.
    Preset expected{"v11", NotesPoolInput::internalChord, {}, 50, 0, std::nullopt, 1, 1, false, {}, {}};
    expected.chordPresets.resize(8, ChordPreset{{}, std::vector<std::optional<int>>(6)});
    expected.chordPresets[0].chord = {60, 64, 67};
    const Track track{foundation::Uuid::random(), "Track 1", false, false, 0x3DC2D2, 0, 0, false, 0, 0, {}, false,
                      1, 0, 1, 2, 0, 127, 0, FillEmpty::circularOctUp, std::vector<Pattern>(8, defaultPattern())};
    expected.tracks = {track};

    Preset preset = defaultPreset();
    ASSERT_EQ(preset.tracks.size(), 1u);
    EXPECT_NE(preset.tracks[0].id, defaultPreset().tracks[0].id);
    preset.tracks[0].id = track.id;
    EXPECT_EQ(preset, expected);

    for (const LaneKind kind : allLaneKinds) {
        const Lane lane = defaultPattern().lane(kind);
        EXPECT_EQ(lane.lastStep, 16);
        EXPECT_EQ(lane.steps, std::vector<int>(64, defaultStepValue(kind)));
        const bool chords = kind == LaneKind::notes;
        EXPECT_EQ(lane.noteStepChords, chords ? std::optional(std::vector<Chord>(64, Chord{0})) : std::nullopt);
    }
}

TEST(Defaults, ScenePatternsAreSixSlotsOfOneToEight) {
    using Slots = std::vector<std::optional<int>>;
    const std::vector<std::pair<Slots, Slots>> rows{
        {{0, 9, 3}, {std::nullopt, std::nullopt, 3, std::nullopt, std::nullopt, std::nullopt}},
        {{}, Slots(6)},
        {{1, 8, std::nullopt, 2, 2, 2, 7, 7}, {1, 8, std::nullopt, 2, 2, 2}},
    };
    for (const auto& [given, expected] : rows) EXPECT_EQ(normalizedScenePatterns(given), expected);
}

TEST(Defaults, PatternIndicesFollowTheTrackCount) {
    using Indices = std::optional<std::vector<int>>;
    const std::vector<std::tuple<Indices, std::int64_t, Indices>> rows{
        {std::nullopt, 3, std::nullopt},
        {std::vector<int>{9, -1}, 3, std::vector<int>{7, 0, 0}},
        {std::vector<int>{9, -1}, 7, std::vector<int>{7, 0, 0, 0, 0, 0}},
        {std::vector<int>{1, 2, 3}, -4, std::vector<int>{}},
    };
    for (const auto& [given, trackCount, expected] : rows) EXPECT_EQ(normalizedPatternIndices(given, trackCount), expected);
}

}  // namespace
}  // namespace pulvan::model
