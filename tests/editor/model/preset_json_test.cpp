#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/model/decoding_error.h"
#include "editor/model/preset_json.h"
#include "tests/editor/model/model_fixtures.h"

namespace pulvan::model {
namespace {

using nlohmann::json;

json minimalTrack() {
    return {{"name", "T"},          {"octave", 0}, {"transpose", 0}, {"outputChord", json::array()},
            {"midiOutputChannel", 1}, {"ccA", 1},    {"ccB", 2},       {"fillEmpty", "empty"},
            {"patterns", json::array()}};
}

json minimalPreset() {
    return {{"notesPoolInput", "internal_chord"},
            {"notesPool", json::array()},
            {"chordPresets", json::array()},
            {"tracks", json::array({minimalTrack()})}};
}

nlohmann::ordered_json written(const Preset& preset) { return nlohmann::ordered_json::parse(encodePreset(preset)); }

std::vector<std::string> keysOf(const nlohmann::ordered_json& object) {
    std::vector<std::string> keys;
    for (const auto& item : object.items()) keys.push_back(item.key());
    return keys;
}

TEST(PresetJsonWriting, DefaultPatternIsOnlyItsFixLane) {
    const std::string zeros = [] {
        std::string text;
        for (int i = 0; i < 64; ++i) text += i == 0 ? "0" : ",0";
        return text;
    }();
    EXPECT_EQ(encodePattern(defaultPattern()),
              R"({"lanes":["fix",{"lastStep":16,"steps":[)" + zeros + R"(]}],"direction":"forward","resolution":16})");
}

TEST(PresetJsonWriting, KeysComeInTheirFixedOrder) {
    Preset preset = defaultPreset();
    preset.currentTrackPatternIndices = std::vector<int>{3};
    const auto json = written(preset);
    EXPECT_EQ(keysOf(json), (std::vector<std::string>{"version", "notesPoolInput", "notesPool", "swing_percent",
                                                      "current_scene_index", "current_track_pattern_indices",
                                                      "scene_launch_resolution", "pattern_launch_resolution",
                                                      "resync_on_new_scene", "chordPresets", "tracks"}));
    EXPECT_EQ(keysOf(json["tracks"][0]),
              (std::vector<std::string>{"id", "name", "mute", "solo", "accent_color", "liveCCA", "liveCCB", "octave",
                                        "transpose", "outputChord", "poly", "midiOutputChannel", "midiOutOffsetMs",
                                        "ccA", "ccB", "portamentoCC", "portamentoOnValue", "portamentoOffValue",
                                        "fillEmpty", "patterns"}));
    EXPECT_EQ(keysOf(json["chordPresets"][0]), (std::vector<std::string>{"chord", "patterns"}));
    EXPECT_EQ(json["chordPresets"][0]["patterns"].dump(), "[null,null,null,null,null,null]");
    EXPECT_EQ(json["tracks"][0]["id"], preset.tracks[0].id.string());

    preset.currentTrackPatternIndices.reset();
    EXPECT_FALSE(written(preset).contains("current_track_pattern_indices"));
}

TEST(PresetJsonWriting, ClampsEveryBoundedFieldAtBothEdges) {
    struct Row {
        const char* key;
        void (*set)(Preset&, int);
        int value;
        json written;
    };
    const std::vector<Row> rows{
        {"swing_percent", [](Preset& p, int v) { p.swingPercent = v; }, 40, 50},
        {"swing_percent", [](Preset& p, int v) { p.swingPercent = v; }, 76, 75},
        {"current_scene_index", [](Preset& p, int v) { p.currentSceneIndex = v; }, 9, nullptr},
        {"current_scene_index", [](Preset& p, int v) { p.currentSceneIndex = v; }, -1, nullptr},
        {"current_scene_index", [](Preset& p, int v) { p.currentSceneIndex = v; }, 7, 7},
        {"scene_launch_resolution", [](Preset& p, int v) { p.sceneLaunchResolution = v; }, 2, 16},
        {"pattern_launch_resolution", [](Preset& p, int v) { p.patternLaunchResolution = v; }, 8, 8},
        {"accent_color", [](Preset& p, int v) { p.tracks[0].accentColorHex = v; }, -1, 0},
        {"accent_color", [](Preset& p, int v) { p.tracks[0].accentColorHex = v; }, 0x1000000, 0xFFFFFF},
        {"liveCCA", [](Preset& p, int v) { p.tracks[0].liveCCA = v; }, 128, 127},
        {"liveCCB", [](Preset& p, int v) { p.tracks[0].liveCCB = v; }, -1, 0},
        {"midiOutOffsetMs", [](Preset& p, int v) { p.tracks[0].midiOutOffsetMs = v; }, -201, -200},
        {"midiOutOffsetMs", [](Preset& p, int v) { p.tracks[0].midiOutOffsetMs = v; }, 201, 200},
        {"portamentoCC", [](Preset& p, int v) { p.tracks[0].portamentoCC = v; }, 300, 127},
        {"portamentoOnValue", [](Preset& p, int v) { p.tracks[0].portamentoOnValue = v; }, -3, 0},
        {"portamentoOffValue", [](Preset& p, int v) { p.tracks[0].portamentoOffValue = v; }, 128, 127},
    };
    for (const Row& row : rows) {
        Preset preset = defaultPreset();
        row.set(preset, row.value);
        const auto document = written(preset);
        const auto& holder = document.contains(row.key) ? document : document["tracks"][0];
        EXPECT_EQ(json(holder[row.key]), row.written) << row.key << " " << row.value;
    }
    Preset preset = defaultPreset();
    preset.currentTrackPatternIndices = std::vector<int>{9, 1, 1};
    EXPECT_EQ(written(preset)["current_track_pattern_indices"].dump(), "[7]");
    preset.tracks[0].patterns[0].resolution = 17;
    EXPECT_EQ(written(preset)["tracks"][0]["patterns"][0]["resolution"], 16);
}

TEST(PresetJsonWriting, NotesStepsAreFlatUnlessAChordHasSeveralNotes) {
    const auto stepsOf = [](const Lane& lane) {
        JsonWriter writer;
        writeLane(writer, lane);
        return json::parse(writer.text())["steps"];
    };
    Lane lane = defaultLane(LaneKind::notes);
    lane.steps[0] = 5;
    lane.noteStepChords->at(0) = {9};  // a lone note: the root is the step
    EXPECT_EQ(stepsOf(lane)[0], 5);
    lane.setChord({5, 8}, 0);
    EXPECT_EQ(stepsOf(lane)[0].dump(), "[5,8]");
    EXPECT_EQ(stepsOf(lane)[1].dump(), "[0]");
}

TEST(PresetJsonWriting, WriterSeparatesValuesAndEscapesStrings) {
    JsonWriter writer;
    writer.beginObject();
    writer.key("a");
    writer.numbers({});
    writer.key("b");
    writer.beginArray();
    writer.null();
    writer.boolean(false);
    writer.string("q\"\n\u00e9");
    writer.number(INT64_MIN);
    writer.beginObject();
    writer.endObject();
    writer.endArray();
    writer.endObject();
    EXPECT_EQ(writer.text(), "{\"a\":[],\"b\":[null,false,\"q\\\"\\n\u00e9\",-9223372036854775808,{}]}");
}

TEST(PresetJsonWriting, OnlyLanesThatDifferFromTheirDefaultAreWritten) {
    struct Row {
        LaneKind kind;
        void (*change)(Lane&);
        bool written;
    };
    const std::vector<Row> rows{
        {LaneKind::gate, [](Lane&) {}, false},
        {LaneKind::fix, [](Lane&) {}, true},
        {LaneKind::velocity, [](Lane& l) { l.steps[63] = 99; }, true},
        {LaneKind::length, [](Lane& l) { l.lastStep = 15; }, true},
        {LaneKind::octave, [](Lane& l) { l.steps.pop_back(); }, true},
        {LaneKind::notes, [](Lane& l) { l.setChord({0, 4}, 2); }, true},
        {LaneKind::notes, [](Lane& l) { l.noteStepChords.reset(); }, false},
        {LaneKind::ccB, [](Lane& l) { l.noteStepChords = std::vector<Chord>(64, Chord{0}); }, false},
    };
    for (const Row& row : rows) {
        Lane lane = defaultLane(row.kind);
        row.change(lane);
        EXPECT_EQ(!laneIsLeftOut(lane, row.kind), row.written) << rawValue(row.kind);
    }
}

TEST(PresetJsonWriting, InvalidUtf8InANameIsReplacedNotThrown) {
    Preset preset = defaultPreset();
    preset.tracks[0].name = std::string("Ba\xC3", 3);  // cut inside a two-byte sequence
    std::string text;
    ASSERT_NO_THROW(text = encodePreset(preset));
    EXPECT_NE(text.find("\"name\":\"Ba\xEF\xBF\xBD\""), std::string::npos);
}

TEST(PresetJsonReading, ClampsAndLegacyKeys) {
    struct Row {
        json patch;
        int (*field)(const Preset&);
        int expected;
    };
    const auto swing = [](const Preset& p) { return p.swingPercent; };
    const auto scene = [](const Preset& p) { return p.currentSceneIndex.value_or(-99); };
    const auto sceneLaunch = [](const Preset& p) { return p.sceneLaunchResolution; };
    const auto patternLaunch = [](const Preset& p) { return p.patternLaunchResolution; };
    const auto resync = [](const Preset& p) { return int{p.resyncOnNewScene}; };
    const std::vector<Row> rows{
        {json::object(), swing, 50},
        {{{"swing_percent", 80}}, swing, 75},
        {{{"swing_percent", 49}}, swing, 50},
        {{{"swing_percent", INT64_MIN}}, swing, 50},
        {{{"swingPercent", 60}}, swing, 60},
        {{{"swing_percent", 55}, {"swingPercent", 60}}, swing, 55},
        {{{"swing_percent", nullptr}, {"swingPercent", 60}}, swing, 60},
        {{{"current_scene_index", 9}}, scene, -99},
        {{{"current_scene_index", -1}}, scene, -99},
        {{{"current_scene_index", 7}}, scene, 7},
        {{{"currentSceneIndex", 3}}, scene, 3},
        {json::object(), scene, -99},
        {json::object(), sceneLaunch, 16},
        {{{"scene_launch_resolution", 2}}, sceneLaunch, 16},
        {{{"sceneLaunchResolution", 4}}, sceneLaunch, 4},
        {{{"patternLaunchResolution", 1}}, patternLaunch, 1},
        {{{"pattern_launch_resolution", 9000000000}}, patternLaunch, 16},
        {{{"resyncOnNewScene", true}}, resync, 1},
        {{{"resync_on_new_scene", false}, {"resyncOnNewScene", true}}, resync, 0},
    };
    for (const Row& row : rows) {
        json document = minimalPreset();
        document.update(row.patch);
        EXPECT_EQ(row.field(presetFromJson(document)), row.expected) << row.patch.dump();
    }
}

TEST(PresetJsonReading, TrackClampsDefaultsAndLegacyKeys) {
    struct Row {
        json patch;
        int (*field)(const Track&);
        int expected;
    };
    const auto accent = [](const Track& t) { return t.accentColorHex; };
    const auto liveA = [](const Track& t) { return t.liveCCA; };
    const auto offset = [](const Track& t) { return t.midiOutOffsetMs; };
    const auto portaOn = [](const Track& t) { return t.portamentoOnValue; };
    const auto portaOff = [](const Track& t) { return t.portamentoOffValue; };
    const auto chromatic = [](const Track& t) { return int{t.legacyChromatic}; };
    const std::vector<Row> rows{
        {json::object(), accent, 0x3DC2D2},
        {{{"accentColorHex", 16777216}}, accent, 0xFFFFFF},
        {{{"accent_color", -4}}, accent, 0},
        {{{"accent_color", 5}, {"accentColorHex", 6}}, accent, 5},
        {{{"accent_color", nullptr}, {"accentColorHex", 6}}, accent, 6},
        {{{"liveCCA", 128}}, liveA, 127},
        {{{"liveCCA", -1}}, liveA, 0},
        {json::object(), offset, 0},
        {{{"midiOutOffsetMs", -201}}, offset, -200},
        {{{"midiOutOffsetMs", 999999999999}}, offset, 200},
        {json::object(), portaOn, 127},
        {{{"portamentoOnValue", 128}}, portaOn, 127},
        {{{"portamentoOffValue", -1}}, portaOff, 0},
        {{{"chromatic", true}}, chromatic, 1},
        {{{"octave", 1e12}}, [](const Track& t) { return t.octave; }, INT32_MAX},
        {{{"transpose", -3.0}}, [](const Track& t) { return t.transpose; }, -3},
    };
    for (const Row& row : rows) {
        json track = minimalTrack();
        track.update(row.patch);
        EXPECT_EQ(row.field(trackFromJson(track)), row.expected) << row.patch.dump();
    }
}

TEST(PresetJsonReading, TrackResolutionOverridesEveryPattern) {
    json track = minimalTrack();
    track["resolution"] = 108;
    track["patterns"] = {{{"lanes", json::array()}, {"resolution", 204}}, {{"lanes", json::array()}}};
    const Track read = trackFromJson(track);
    ASSERT_EQ(read.patterns.size(), 2u);
    for (const Pattern& pattern : read.patterns) EXPECT_EQ(pattern.resolution, 108);
    track["resolution"] = 7;
    EXPECT_EQ(trackFromJson(track).patterns[0].resolution, 16);
}

TEST(PresetJsonReading, TrackIdentifiers) {
    json track = minimalTrack();
    track["id"] = "0a1b2c3d-4e5f-4061-8293-a4b5c6d7e8f9";
    EXPECT_EQ(trackFromJson(track).id.string(), "0A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9");
    track.erase("id");
    EXPECT_NE(trackFromJson(track).id, trackFromJson(track).id) << "a missing id gets a fresh one";
    track["id"] = "not-a-uuid";
    EXPECT_THROW(trackFromJson(track), DecodingError);
}

TEST(PresetJsonReading, PatternDirectionResolutionAndLanes) {
    EXPECT_EQ(patternFromJson({{"lanes", json::array()}}).direction, PatternDirection::forward);
    EXPECT_EQ(patternFromJson({{"lanes", json::array()}, {"direction", "sideways"}}).direction, PatternDirection::forward);
    EXPECT_EQ(patternFromJson({{"lanes", json::array()}, {"direction", "ping_pong_2"}}).direction,
              PatternDirection::pingPong2);
    EXPECT_EQ(patternFromJson({{"lanes", json::array()}, {"resolution", 300}}).resolution, 16);
    const Pattern lanes = patternFromJson(
        {{"lanes", {"cc_b", {{"lastStep", 3}, {"steps", {1, 2}}}, "gate", {{"lastStep", 4}, {"steps", {1}}}}}});
    EXPECT_EQ(lanes.lanes.size(), 2u);
    EXPECT_EQ(lanes.lanes.at(LaneKind::ccB).lastStep, 3);
    EXPECT_EQ(lanes.lanes.at(LaneKind::gate).steps[0], 1);
}

TEST(PresetJsonReading, LaneStepsNestedOrFlat) {
    const Lane nested = laneFromJson({{"lastStep", 16}, {"steps", {{4, 7}, json::array(), {2}}}}, LaneKind::notes);
    EXPECT_EQ(std::vector<int>(nested.steps.begin(), nested.steps.begin() + 3), (std::vector<int>{4, 0, 2}));
    ASSERT_TRUE(nested.noteStepChords);
    EXPECT_EQ(nested.noteStepChords->at(0), (Chord{4, 7}));
    EXPECT_EQ(nested.noteStepChords->at(1), Chord{0});
    const Lane flat = laneFromJson({{"lastStep", 16}, {"steps", {4, 0, 2}}}, LaneKind::notes);
    EXPECT_FALSE(flat.noteStepChords);
    const Lane empty = laneFromJson({{"lastStep", 16}, {"steps", json::array()}}, LaneKind::gate);
    EXPECT_TRUE(empty.noteStepChords);
    EXPECT_EQ(empty.steps, std::vector<int>(64, 0));
}

TEST(PresetJsonReading, ChordPresetsObjectOrBareArray) {
    const ChordPreset bare = chordPresetFromJson({48, 52});
    EXPECT_EQ(bare.chord, (std::vector<int>{48, 52}));
    EXPECT_EQ(bare.patterns, std::vector<std::optional<int>>(6));
    EXPECT_EQ(chordPresetFromJson(json::object()), ChordPreset{});
    const ChordPreset slots = chordPresetFromJson({{"patterns", {0, 9, 3, nullptr, 8, 1, 2}}});
    EXPECT_EQ(slots.patterns, (std::vector<std::optional<int>>{std::nullopt, std::nullopt, 3, std::nullopt, 8, 1}));
}

// Each row breaks one value of a valid preset; every one must fail as a decode error.
TEST(PresetJsonReading, WrongTypesAndMissingKeysFail) {
    struct Row {
        const char* what;
        void (*breakIt)(json&);
    };
    const std::vector<Row> rows{
        {"not an object", [](json& d) { d = json::array(); }},
        {"missing notesPool", [](json& d) { d.erase("notesPool"); }},
        {"null notesPool", [](json& d) { d["notesPool"] = nullptr; }},
        {"unknown notes pool input", [](json& d) { d["notesPoolInput"] = "midi"; }},
        {"boolean swing", [](json& d) { d["swing_percent"] = true; }},
        {"fractional swing", [](json& d) { d["swing_percent"] = 60.5; }},
        {"string swing", [](json& d) { d["swing_percent"] = "60"; }},
        {"integer too large", [](json& d) { d["swing_percent"] = json::parse("18446744073709551615"); }},
        {"float too large", [](json& d) { d["swing_percent"] = 1e19; }},
        {"numeric version", [](json& d) { d["version"] = 11; }},
        {"string in pool", [](json& d) { d["notesPool"] = {60, "64"}; }},
        {"number as resync", [](json& d) { d["resync_on_new_scene"] = 1; }},
        {"tracks not an array", [](json& d) { d["tracks"] = json::object(); }},
        {"track without name", [](json& d) { d["tracks"][0].erase("name"); }},
        {"numeric name", [](json& d) { d["tracks"][0]["name"] = 5; }},
        {"unknown fill mode", [](json& d) { d["tracks"][0]["fillEmpty"] = "wrap"; }},
        {"string mute", [](json& d) { d["tracks"][0]["mute"] = "true"; }},
        {"lanes as object", [](json& d) { d["tracks"][0]["patterns"] = {{{"lanes", json::object()}}}; }},
        {"odd lanes", [](json& d) { d["tracks"][0]["patterns"] = {{{"lanes", {"gate"}}}}; }},
        {"unknown lane kind",
         [](json& d) { d["tracks"][0]["patterns"] = {{{"lanes", {"swing", {{"lastStep", 1}, {"steps", {1}}}}}}}; }},
        {"lane without lastStep",
         [](json& d) { d["tracks"][0]["patterns"] = {{{"lanes", {"gate", {{"steps", {1}}}}}}}; }},
        {"mixed steps",
         [](json& d) { d["tracks"][0]["patterns"] = {{{"lanes", {"gate", {{"lastStep", 1}, {"steps", {1, {2}}}}}}}}; }},
        {"numeric direction", [](json& d) { d["tracks"][0]["patterns"] = {{{"lanes", json::array()}, {"direction", 1}}}; }},
        {"string chord preset", [](json& d) { d["chordPresets"] = {"C major"}; }},
        {"string scene slot", [](json& d) { d["chordPresets"] = {{{"patterns", {"1"}}}}; }},
    };
    for (const Row& row : rows) {
        json document = minimalPreset();
        row.breakIt(document);
        EXPECT_THROW(presetFromJson(document), DecodingError) << row.what;
    }
}

TEST(PresetJsonReading, ErrorsNameTheirPlace) {
    json document = minimalPreset();
    document["tracks"][0]["patterns"] = {{{"lanes", {"gate", {{"lastStep", "1"}, {"steps", {1}}}}}}};
    try {
        presetFromJson(document);
        FAIL() << "expected a decode error";
    } catch (const DecodingError& error) {
        EXPECT_STREQ(error.what(), "tracks[0].patterns[0].lanes[1].lastStep: expected an integer, found a string");
    }
}

TEST(PresetJsonRoundTrip, FullPresetComesBackEqual) {
    const Preset preset = test::fullPreset();
    EXPECT_EQ(presetFromJson(json::parse(encodePreset(preset))), preset);
}

}  // namespace
}  // namespace pulvan::model
