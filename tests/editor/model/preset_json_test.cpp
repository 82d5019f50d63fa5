#include "editor/model/preset_json.h"

#include <gtest/gtest.h>

#include "editor/model/decoding_error.h"

#include <functional>
#include <string>
#include <vector>

namespace pulvan::model {
namespace {

using nlohmann::json;

json minimalPreset() {
    const json track = {{"name", "T"},
                        {"octave", 0},
                        {"transpose", 0},
                        {"outputChord", json::array()},
                        {"midiOutputChannel", 1},
                        {"ccA", 1},
                        {"ccB", 2},
                        {"fillEmpty", "empty"},
                        {"patterns", json::array({{{"lanes", json::array()}}})}};
    return {{"notesPoolInput", "internal_chord"},
            {"notesPool", json::array()},
            {"chordPresets", json::array()},
            {"tracks", json::array({track})}};
}

json patched(std::vector<std::pair<std::string, json>> patches) {
    json document = minimalPreset();
    for (auto& [pointer, value] : patches) document[json::json_pointer(pointer)] = std::move(value);
    return document;
}

TEST(PresetJsonWriting, DefaultPatternIsOnlyItsFixLane) {
    std::string zeros = "0";
    for (int i = 1; i < 64; ++i) zeros += ",0";
    EXPECT_EQ(encodePattern(defaultPattern()),
              R"({"lanes":["fix",{"lastStep":16,"steps":[)" + zeros + R"(]}],"direction":"forward","resolution":16})");
}

// Every default value and every key in its fixed place; the round-trip test shows that the
// model holds what is written here.
TEST(PresetJsonWriting, DefaultPresetIsWrittenExactlyInKeyOrder) {
    Preset preset = defaultPreset();
    EXPECT_NE(preset.tracks[0].id, defaultPreset().tracks[0].id) << "every default preset has a new track";
    const std::string scene = R"(,"patterns":[null,null,null,null,null,null]})";
    std::string scenes = R"({"chord":[60,64,67])" + scene, patterns = encodePattern(defaultPattern());
    for (int i = 1; i < 8; ++i) {
        scenes.append(R"(,{"chord":[])").append(scene);
        patterns.append(",").append(encodePattern(defaultPattern()));
    }
    const auto expected = [&](const std::string& indices) {
        return R"({"version":"v11","notesPoolInput":"internal_chord","notesPool":[],"swing_percent":50,"current_scene_index":0,)" +
               indices + R"("scene_launch_resolution":1,"pattern_launch_resolution":1,"resync_on_new_scene":false,"chordPresets":[)" +
               scenes + R"(],"tracks":[{"id":")" + preset.tracks[0].id.string() +
               R"(","name":"Track 1","mute":false,"solo":false,"accent_color":4047570,"liveCCA":0,"liveCCB":0,"octave":0,)"
               R"("transpose":0,"outputChord":[],"poly":false,"midiOutputChannel":1,"midiOutOffsetMs":0,"ccA":1,"ccB":2,)"
               R"("portamentoCC":0,"portamentoOnValue":127,"portamentoOffValue":0,"fillEmpty":"circular_oct_up","patterns":[)" +
               patterns + "]}]}";
    };
    EXPECT_EQ(encodePreset(preset), expected(""));
    preset.currentTrackPatternIndices = std::vector<int>{3};
    EXPECT_EQ(encodePreset(preset), expected(R"("current_track_pattern_indices":[3],)"));
    for (const LaneKind kind : allLaneKinds) {
        const Lane lane = defaultPattern().lane(kind);
        EXPECT_EQ(lane.lastStep, 16);
        EXPECT_EQ(lane.steps, std::vector<int>(64, defaultStepValue(kind)));
        const bool chords = kind == LaneKind::notes;
        EXPECT_EQ(lane.noteStepChords, chords ? std::optional(std::vector<Chord>(64, Chord{0})) : std::nullopt);
    }
}

TEST(PresetJsonWriting, ClampsEveryBoundedFieldAtBothEdges) {
    struct Row {
        std::function<void(Preset&)> set;
        std::string pointer;
        json expected;
    };
    const std::vector<Row> rows{
        {[](Preset& p) { p.swingPercent = 40; }, "/swing_percent", 50},
        {[](Preset& p) { p.swingPercent = 76; }, "/swing_percent", 75},
        {[](Preset& p) { p.currentSceneIndex = 9; }, "/current_scene_index", nullptr},
        {[](Preset& p) { p.currentSceneIndex = -1; }, "/current_scene_index", nullptr},
        {[](Preset& p) { p.currentSceneIndex.reset(); }, "/current_scene_index", nullptr},
        {[](Preset& p) { p.currentSceneIndex = 7; }, "/current_scene_index", 7},
        {[](Preset& p) { p.sceneLaunchResolution = 2; }, "/scene_launch_resolution", 16},
        {[](Preset& p) { p.patternLaunchResolution = 8; }, "/pattern_launch_resolution", 8},
        {[](Preset& p) {
             p.currentTrackPatternIndices = std::vector<int>{9, 1};
         },
         "/current_track_pattern_indices",
         {7}},
        {[](Preset& p) { p.tracks[0].accentColorHex = -1; }, "/tracks/0/accent_color", 0},
        {[](Preset& p) { p.tracks[0].accentColorHex = 0x1000000; }, "/tracks/0/accent_color", 0xFFFFFF},
        {[](Preset& p) { p.tracks[0].liveCCA = 128; }, "/tracks/0/liveCCA", 127},
        {[](Preset& p) { p.tracks[0].liveCCB = -1; }, "/tracks/0/liveCCB", 0},
        {[](Preset& p) { p.tracks[0].midiOutOffsetMs = -201; }, "/tracks/0/midiOutOffsetMs", -200},
        {[](Preset& p) { p.tracks[0].midiOutOffsetMs = 201; }, "/tracks/0/midiOutOffsetMs", 200},
        {[](Preset& p) { p.tracks[0].portamentoCC = 300; }, "/tracks/0/portamentoCC", 127},
        {[](Preset& p) { p.tracks[0].portamentoOnValue = -3; }, "/tracks/0/portamentoOnValue", 0},
        {[](Preset& p) { p.tracks[0].portamentoOffValue = 128; }, "/tracks/0/portamentoOffValue", 127},
        {[](Preset& p) { p.tracks[0].patterns[0].resolution = 17; }, "/tracks/0/patterns/0/resolution", 16},
    };
    for (const Row& row : rows) {
        Preset preset = defaultPreset();
        row.set(preset);
        EXPECT_EQ(json::parse(encodePreset(preset))[json::json_pointer(row.pointer)], row.expected) << row.pointer;
    }
}

TEST(PresetJsonWriting, OnlyLanesThatDifferFromTheirDefaultAreWritten) {
    struct Row {
        LaneKind kind;
        std::function<void(Lane&)> change;
        bool written;
    };
    const std::vector<Row> rows{
        {LaneKind::gate, [](Lane&) {}, false},
        {LaneKind::fix, [](Lane&) {}, true},
        {LaneKind::velocity, [](Lane& l) { l.steps[63] = 99; }, true},
        {LaneKind::length, [](Lane& l) { l.lastStep = 15; }, true},
        {LaneKind::octave, [](Lane& l) { l.steps.pop_back(); }, true},
        {LaneKind::notes,
         [](Lane& l) {
             l.setChord({0, 4}, 2);
         },
         true},
        {LaneKind::notes, [](Lane& l) { l.noteStepChords.reset(); }, false},
        {LaneKind::ccB, [](Lane& l) { l.noteStepChords = std::vector<Chord>(64, Chord{0}); }, false},
    };
    for (const Row& row : rows) {
        Lane lane = defaultLane(row.kind);
        row.change(lane);
        EXPECT_EQ(!laneIsLeftOut(lane, row.kind), row.written) << rawValue(row.kind);
    }
}

TEST(PresetJsonWriting, NotesStepsAreFlatUnlessAChordHasSeveralNotes) {
    Pattern pattern = defaultPattern();
    Lane& notes = pattern.lane(LaneKind::notes);
    notes.steps[0] = 5;
    notes.noteStepChords->at(0) = {9};  // a lone stored note: the step value wins
    EXPECT_EQ(json::parse(encodePattern(pattern))["lanes"][1]["steps"][0], 5);
    notes.setChord({5, 8}, 0);
    const json steps = json::parse(encodePattern(pattern))["lanes"][1]["steps"];
    EXPECT_EQ(steps[0].dump() + steps[1].dump(), "[5,8][0]");
}

TEST(PresetJsonWriting, InvalidUtf8InANameIsReplacedNotThrown) {
    Preset preset = defaultPreset();
    preset.tracks[0].name = "Ba\xC3";  // cut inside a two-byte sequence
    std::string text;
    ASSERT_NO_THROW(text = encodePreset(preset));
    EXPECT_NE(text.find("\"name\":\"Ba\xEF\xBF\xBD\""), std::string::npos);
}

TEST(PresetJsonReading, ClampsDefaultsAndLegacyKeys) {
    struct Row {
        std::vector<std::pair<std::string, json>> patches;
        std::function<std::int64_t(const Preset&)> field;
        std::int64_t expected;
    };
    const auto swing = [](const Preset& p) { return p.swingPercent; };
    const auto scene = [](const Preset& p) { return p.currentSceneIndex.value_or(-99); };
    const auto launch = [](const Preset& p) { return p.sceneLaunchResolution * 100 + p.patternLaunchResolution; };
    const auto accent = [](const Preset& p) { return p.tracks[0].accentColorHex; };
    const auto track = [](int Track::*field) { return [field](const Preset& p) -> std::int64_t { return p.tracks[0].*field; }; };
    const std::vector<Row> rows{
        {{}, swing, 50},
        {{{"/swing_percent", 80}}, swing, 75},
        {{{"/swing_percent", INT64_MIN}}, swing, 50},
        {{{"/swingPercent", 60}}, swing, 60},
        {{{"/swing_percent", 55}, {"/swingPercent", 60}}, swing, 55},
        {{{"/swing_percent", nullptr}, {"/swingPercent", 60}}, swing, 60},
        {{}, scene, -99},
        {{{"/current_scene_index", 9}}, scene, -99},
        {{{"/current_scene_index", -1}}, scene, -99},
        {{{"/currentSceneIndex", 7}}, scene, 7},
        {{}, launch, 1616},
        {{{"/scene_launch_resolution", 2}, {"/patternLaunchResolution", 4}}, launch, 1604},
        {{{"/sceneLaunchResolution", 8}, {"/pattern_launch_resolution", 9000000000}}, launch, 816},
        {{{"/resyncOnNewScene", true}}, [](const Preset& p) { return p.resyncOnNewScene; }, 1},
        {{}, accent, 0x3DC2D2},
        {{{"/tracks/0/accentColorHex", 16777216}}, accent, 0xFFFFFF},
        {{{"/tracks/0/accent_color", -4}, {"/tracks/0/accentColorHex", 6}}, accent, 0},
        {{{"/tracks/0/accent_color", nullptr}, {"/tracks/0/accentColorHex", 6}}, accent, 6},
        {{{"/tracks/0/liveCCA", 128}}, track(&Track::liveCCA), 127},
        {{{"/tracks/0/liveCCB", -1}}, track(&Track::liveCCB), 0},
        {{{"/tracks/0/midiOutOffsetMs", -201}}, track(&Track::midiOutOffsetMs), -200},
        {{{"/tracks/0/midiOutOffsetMs", 999999999999}}, track(&Track::midiOutOffsetMs), 200},
        {{}, track(&Track::portamentoOnValue), 127},
        {{{"/tracks/0/portamentoOnValue", 128}}, track(&Track::portamentoOnValue), 127},
        {{{"/tracks/0/portamentoOffValue", -1}}, track(&Track::portamentoOffValue), 0},
        {{{"/tracks/0/portamentoCC", 500}}, track(&Track::portamentoCC), 127},
        {{{"/tracks/0/octave", 1e12}}, track(&Track::octave), INT32_MAX},
        {{{"/tracks/0/transpose", -3.0}}, track(&Track::transpose), -3},
        {{{"/tracks/0/chromatic", true}}, [](const Preset& p) { return p.tracks[0].legacyChromatic; }, 1},
        {{{"/tracks/0/patterns/0/resolution", 204}, {"/tracks/0/resolution", 108}},
         [](const Preset& p) { return p.tracks[0].patterns[0].resolution; },
         108},
        {{{"/tracks/0/resolution", 7}}, [](const Preset& p) { return p.tracks[0].patterns[0].resolution; }, 16},
        {{{"/tracks/0/patterns/0/direction", "sideways"}},
         [](const Preset& p) { return static_cast<int>(p.tracks[0].patterns[0].direction); },
         0},
        {{{"/current_track_pattern_indices", {9, -1, 4}}},
         [](const Preset& p) { return p.currentTrackPatternIndices->size() * 100 + p.currentTrackPatternIndices->at(0); },
         107},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.field(presetFromJson(patched(row.patches))), row.expected) << json(row.patches).dump();
    }
}

// Readers index steps by the last step, so a lane from a file must always allow that; a valid
// lane reads exactly as written.
TEST(PresetJsonReading, LanesReadNestedOrFlatAndSafeToIndex) {
    struct Row {
        json lane;
        int lastStep;
        std::vector<int> firstSteps;
        std::optional<Chord> firstChord;
    };
    const std::vector<Row> rows{
        {{{"lastStep", 40}, {"steps", std::vector<int>(64, 9)}}, 40, {9, 9}, std::nullopt},
        {{{"lastStep", 16}, {"steps", {{4, 7}, json::array(), {2}}}}, 16, {4, 0, 2}, Chord{4, 7}},
        {{{"lastStep", 16}, {"steps", json::array()}}, 16, {75}, Chord{75}},
        {{{"lastStep", -5}, {"steps", {1, 2, 3}}}, 1, {1, 2, 3, 75}, std::nullopt},
        {{{"lastStep", 1000}, {"steps", {1}}}, 64, {1, 75}, std::nullopt},
        {{{"lastStep", INT64_MAX}, {"steps", {{5}}}}, 64, {5, 75}, Chord{5}},
    };
    for (const Row& row : rows) {
        const Lane lane = laneFromJson(row.lane, LaneKind::length);
        EXPECT_EQ(lane.lastStep, row.lastStep) << row.lane.dump();
        ASSERT_EQ(lane.steps.size(), 64u);
        EXPECT_TRUE(std::equal(row.firstSteps.begin(), row.firstSteps.end(), lane.steps.begin())) << row.lane.dump();
        EXPECT_EQ(lane.noteStepChords ? std::optional(lane.noteStepChords->front()) : std::nullopt, row.firstChord);
        EXPECT_FALSE(lane.chordNotes(lane.lastStep - 1).empty());
    }
}

TEST(PresetJsonReading, ChordPresetsObjectOrBareArray) {
    EXPECT_EQ(chordPresetFromJson({48, 52}), (ChordPreset{{48, 52}, std::vector<std::optional<int>>(6)}));
    EXPECT_EQ(chordPresetFromJson(json::object()), ChordPreset{});
    EXPECT_EQ(chordPresetFromJson({{"patterns", {0, 9, 3, nullptr, 8, 1, 2}}}).patterns,
              (std::vector<std::optional<int>>{std::nullopt, std::nullopt, 3, std::nullopt, 8, 1}));
}

// Each row breaks one value of a valid preset; every one must fail as a decode error.
TEST(PresetJsonReading, WrongTypesAndMissingKeysFail) {
    const json gateLane = {{"lastStep", 1}, {"steps", {1}}};
    const std::vector<std::pair<std::string, json>> rows{
        {"/notesPool", nullptr},
        {"/notesPoolInput", "midi"},
        {"/swing_percent", true},
        {"/swing_percent", 60.5},
        {"/swing_percent", "60"},
        {"/swing_percent", json::parse("18446744073709551615")},
        {"/swing_percent", 1e19},
        {"/version", 11},
        {"/notesPool", {60, "64"}},
        {"/resync_on_new_scene", 1},
        {"/tracks", json::object()},
        {"/tracks/0/name", 5},
        {"/tracks/0/id", "not-a-uuid"},
        {"/tracks/0/octave", nullptr},
        {"/tracks/0/fillEmpty", "wrap"},
        {"/tracks/0/mute", "true"},
        {"/tracks/0/patterns/0/lanes", json::object()},
        {"/tracks/0/patterns/0/lanes", {"gate"}},
        {"/tracks/0/patterns/0/lanes", {"swing", gateLane}},
        {"/tracks/0/patterns/0/lanes", {"gate", {{"steps", {1}}}}},
        {"/tracks/0/patterns/0/lanes", {"gate", {{"lastStep", 1}, {"steps", {1, {2}}}}}},
        {"/tracks/0/patterns/0/lanes", {1, gateLane}},
        {"/tracks/0/patterns/0/direction", 1},
        {"/chordPresets", {"C major"}},
        {"/chordPresets", {{{"patterns", {"1"}}}}},
    };
    for (const auto& [pointer, value] : rows) {
        EXPECT_THROW(presetFromJson(patched({{pointer, value}})), DecodingError) << pointer << " = " << value.dump();
    }
    json missingName = minimalPreset();
    missingName["tracks"][0].erase("name");
    EXPECT_THROW(presetFromJson(missingName), DecodingError);
    EXPECT_THROW(presetFromJson(json::array()), DecodingError);
}

TEST(PresetJsonReading, ErrorsNameTheirPlace) {
    try {
        presetFromJson(patched({{"/tracks/0/patterns/0/lanes", {"gate", {{"lastStep", "1"}, {"steps", {1}}}}}}));
        FAIL() << "expected a decode error";
    } catch (const DecodingError& error) {
        EXPECT_STREQ(error.what(), "tracks[0].patterns[0].lanes[1].lastStep: expected an integer, found a string");
    }
}

}  // namespace
}  // namespace pulvan::model
