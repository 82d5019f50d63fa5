// The encoder that keeps each pattern's text must write, after any edit, exactly the bytes of
// a full encode.
#include <gtest/gtest.h>

#include "editor/model/preset_json.h"
#include "tests/editor/model/model_fixtures.h"

#include <functional>

namespace pulvan::model {
namespace {

struct Edit {
    const char* name;
    std::function<void(Preset&)> apply;
};

const Edit kEdits[] = {
    {"nothing", [](Preset&) {}},
    {"oneStep", [](Preset& p) { p.tracks[2].patterns[0].lane(LaneKind::gate).steps[5] ^= 1; }},
    {"chordOfAStep",
     [](Preset& p) {
         p.tracks[1].patterns[3].lane(LaneKind::notes).setChord({1, 5, 8, 11}, 9);
     }},
    {"laneBackToItsDefault",
     [](Preset& p) { p.tracks[0].patterns[1].lane(LaneKind::velocity) = defaultPattern().lane(LaneKind::velocity); }},
    {"directionAndResolution",
     [](Preset& p) {
         p.tracks[4].patterns[7].direction = PatternDirection::pingPong2;
         p.tracks[4].patterns[7].resolution = 208;
     }},
    {"twoPatternsSwapped", [](Preset& p) { std::swap(p.tracks[5].patterns[0], p.tracks[5].patterns[6]); }},
    {"patternsOfTwoTracksSwapped", [](Preset& p) { std::swap(p.tracks[0].patterns, p.tracks[3].patterns); }},
    {"patternRemoved", [](Preset& p) { p.tracks[3].patterns.pop_back(); }},
    {"patternAdded", [](Preset& p) { p.tracks[3].patterns.push_back(defaultPattern()); }},
    {"trackRemoved", [](Preset& p) { p.tracks.erase(p.tracks.begin() + 1); }},
    {"trackAdded", [](Preset& p) { p.tracks.push_back(p.tracks[0]); }},
    {"trackFieldsOnly",
     [](Preset& p) {
         p.tracks[2].name = "Bass \xFF";
         p.tracks[2].midiOutOffsetMs = 900;
     }},
    {"headOnly",
     [](Preset& p) {
         p.swingPercent = 61;
         p.currentSceneIndex = 3;
         p.notesPool = {60, 64};
     }},
};

TEST(PresetEncoder, EveryEditGivesTheBytesOfAFullEncode) {
    Preset preset = test::fullPreset();
    PresetEncoder encoder;
    ASSERT_EQ(encoder.encode(preset), encodePreset(preset));
    for (const Edit& edit : kEdits) {
        SCOPED_TRACE(edit.name);
        edit.apply(preset);
        EXPECT_EQ(encoder.encode(preset), encodePreset(preset));
    }
}

TEST(PresetEncoder, TheStoredDocumentReplacesOnlyItsHead) {
    Preset preset = test::fullPreset();
    preset.notesPool = {60, 63, 67};
    PresetEncoder encoder;
    for (const Edit& edit : kEdits) {
        SCOPED_TRACE(edit.name);
        edit.apply(preset);
        const std::vector<int> indices(preset.tracks.size(), 2);
        Preset stored = preset;
        stored.version = "v11";
        stored.notesPool.clear();
        stored.currentSceneIndex = 5;
        stored.currentTrackPatternIndices = indices;
        EXPECT_EQ(encoder.encodeStored(preset, 5, indices), encodePreset(stored));
        stored.currentSceneIndex.reset();
        EXPECT_EQ(encoder.encodeStored(preset, std::nullopt, indices), encodePreset(stored));
    }
}

}  // namespace
}  // namespace pulvan::model
