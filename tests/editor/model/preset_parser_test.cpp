#include "editor/model/preset_parser.h"

#include <gtest/gtest.h>

#include "editor/model/decoding_error.h"
#include "editor/model/preset_json.h"
#include "editor/model/preset_version.h"
#include "tests/editor/model/model_fixtures.h"

namespace pulvan::model {
namespace {

using test::readFixture;

std::vector<int> firstSteps(const Lane& lane, std::size_t count) {
    return std::vector<int>(lane.steps.begin(), lane.steps.begin() + static_cast<std::ptrdiff_t>(count));
}

const Lane& laneOf(const Preset& preset, std::size_t track, std::size_t pattern, LaneKind kind) {
    return preset.tracks.at(track).patterns.at(pattern).lanes.at(kind);  // throws when a lane is missing
}

TEST(PresetParser, UnversionedFileIsTheFirstFormat) {
    const Preset preset = PresetParser::parse(readFixture("v1_unversioned.json"));
    EXPECT_EQ(preset.version, "v11");
    EXPECT_EQ(std::tuple(preset.swingPercent, preset.currentSceneIndex, preset.sceneLaunchResolution, preset.patternLaunchResolution,
                         preset.resyncOnNewScene),
              std::tuple(58, std::optional(2), 4, 8, true))
        << "legacy keys";
    EXPECT_EQ(preset.chordPresets.at(1), (ChordPreset{{62, 65, 69}, std::vector<std::optional<int>>(6)}));
    const Track& bass = preset.tracks.at(0);
    EXPECT_EQ(std::pair(bass.accentColorHex, preset.tracks.at(1).accentColorHex), std::pair(0x3DC2D2, 0xDD9DB2))
        << "old tracks take the palette colour of their place";
    EXPECT_NE(bass.id, preset.tracks[1].id);
    EXPECT_EQ(std::pair(bass.patterns.at(0).resolution, bass.patterns.at(1).resolution), std::pair(108, 108));
    EXPECT_EQ(firstSteps(laneOf(preset, 0, 0, LaneKind::tie), 4), (std::vector<int>{0, 2, 0, 2}));
    EXPECT_EQ(laneOf(preset, 0, 0, LaneKind::notes).noteStepChords->at(5), Chord{5});
    EXPECT_EQ(laneOf(preset, 0, 0, LaneKind::fix), (Lane{12, std::vector<int>(64, 1), std::nullopt}))
        << "FIX takes the NOTES lane's length; a chromatic track fixes every step";
    EXPECT_EQ(laneOf(preset, 1, 0, LaneKind::fix), (Lane{16, std::vector<int>(64, 0), std::nullopt}));
    EXPECT_EQ(laneOf(preset, 0, 1, LaneKind::velocity), defaultLane(LaneKind::velocity));
}

TEST(PresetParser, Version3GainsChordsTiesAndFix) {
    const Preset preset = PresetParser::parse(readFixture("v3_old_notes.json"));
    EXPECT_EQ(std::tuple(preset.notesPoolInput, preset.swingPercent, preset.currentSceneIndex),
              std::tuple(NotesPoolInput::midiIn, 75, std::optional<int>{}));
    const Track& track = preset.tracks.at(0);
    EXPECT_EQ(track.id.string(), "6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B");
    EXPECT_EQ(track.accentColorHex, 0xFFFFFF) << "from the third format on, colours are kept (clamped)";
    EXPECT_EQ(std::pair(track.patterns.at(0).direction, track.patterns[0].resolution), std::pair(PatternDirection::smartRandom, 204));
    EXPECT_EQ(laneOf(preset, 0, 0, LaneKind::notes).noteStepChords->at(5), Chord{9});
    EXPECT_EQ(firstSteps(laneOf(preset, 0, 0, LaneKind::tie), 3), (std::vector<int>{2, 2, 0}));
    EXPECT_EQ(laneOf(preset, 0, 0, LaneKind::fix), (Lane{4, std::vector<int>(64, 0), std::nullopt}));
}

TEST(PresetParser, Version5MigratesTiesAndRebuildsFix) {
    const Preset preset = PresetParser::parse(readFixture("v5_old_ties.json"));
    EXPECT_EQ(preset.tracks.at(0).accentColorHex, 0x3DC2D2) << "a missing colour is the first palette entry";
    EXPECT_EQ(firstSteps(laneOf(preset, 0, 0, LaneKind::tie), 8), (std::vector<int>{2, 2, 2, 0, 2, 0, 2, 0}));
    const Lane& notes = laneOf(preset, 0, 0, LaneKind::notes);
    EXPECT_EQ(firstSteps(notes, 4), (std::vector<int>{0, 2, 0, 5}));
    EXPECT_EQ(notes.chordNotes(0), (Chord{0, 4, 7}));
    std::vector<int> fixSteps(64, 0);
    fixSteps[1] = fixSteps[2] = fixSteps[4] = fixSteps[19] = 1;
    EXPECT_EQ(laneOf(preset, 0, 0, LaneKind::fix), (Lane{33, fixSteps, std::nullopt}));
}

TEST(PresetParser, Version6AddsFixLanesOnly) {
    const Preset preset = PresetParser::parse(readFixture("v6_no_fix.json"));
    const std::vector<int> lastSteps{1, 64, 16};  // NOTES last step 0, 80, no NOTES lane
    for (std::size_t p = 0; p < lastSteps.size(); ++p) {
        EXPECT_EQ(laneOf(preset, 0, p, LaneKind::fix), (Lane{lastSteps[p], std::vector<int>(64, 1), std::nullopt}));
    }
    EXPECT_EQ(laneOf(preset, 0, 0, LaneKind::tie).steps[0], 1) << "ties of the sixth format are already current";
    EXPECT_FALSE(laneOf(preset, 0, 0, LaneKind::notes).noteStepChords);
}

TEST(PresetParser, CurrentFileReadsToTheExpectedModel) {
    Preset expected{"v11", NotesPoolInput::internalChord, {60, 63, 67}, 62, 3, std::vector<int>{5}, 16, 4, false, {}, {}};
    expected.chordPresets = {ChordPreset{{60, 63, 67}, {2, {}, {}, {}, {}, {}}}, ChordPreset{}};
    Pattern second = defaultPattern();
    second.direction = PatternDirection::pingPong2;
    second.resolution = 232;
    second.lane(LaneKind::velocity) = Lane{32, std::vector<int>(64, 100), std::nullopt};
    second.lane(LaneKind::velocity).steps[0] = 127;
    second.lane(LaneKind::notes).setChord({2, 4, 6}, 0);
    second.lane(LaneKind::notes).setChord({1}, 1);
    second.lane(LaneKind::fix).steps[0] = 1;
    expected.tracks = {Track{*foundation::Uuid::parse("0a1b2c3d-4e5f-4061-8293-a4b5c6d7e8f9"),
                             "Pad \u2728 \u00dcn\u00efcode",
                             false,
                             true,
                             12345,
                             64,
                             127,
                             false,
                             -2,
                             5,
                             {0, 4, 7},
                             true,
                             4,
                             -120,
                             74,
                             71,
                             5,
                             100,
                             3,
                             FillEmpty::circularOctUp,
                             {defaultPattern(), second}}};

    const Preset preset = PresetParser::parse(readFixture("v11_current.json"));
    EXPECT_EQ(preset, expected);
    EXPECT_EQ(PresetParser::parse(encodePreset(preset)), preset);
}

TEST(PresetParser, VersionCheckComesFirst) {
    using Outcome = PresetLoadOutcome;
    const std::vector<std::pair<std::string, Outcome>> rows{
        {R"("v11")", Outcome::success()},
        {R"("V11")", Outcome::success()},
        {R"("v7")", Outcome::success()},
        {R"("")", Outcome::success()},
        {"null", Outcome::success()},
        {R"("v12")", Outcome::unsupportedVersion("v12")},
        {"12", Outcome::corruptData()},
        {R"("V12")", Outcome::unsupportedVersion("V12")},
        {R"("v1.0")", Outcome::unsupportedVersion("v1.0")},
    };
    for (const auto& [version, outcome] : rows) {
        const std::string good =
            R"({"version":)" + version + R"(,"notesPoolInput":"internal_chord","notesPool":[],"chordPresets":[],"tracks":[]})";
        EXPECT_EQ(PresetParser::load(good).outcome, outcome) << version;
        // An unknown version wins before the (here broken) body is read.
        if (outcome.kind == Outcome::Kind::unsupportedVersion) {
            EXPECT_EQ(PresetParser::load(R"({"version":)" + version + R"(,"tracks":7})").outcome, outcome);
        }
    }
    try {
        PresetParser::parse(R"({"version":"V12"})");
        FAIL() << "expected an unsupported version";
    } catch (const PresetParserError& error) {
        EXPECT_EQ(error.version(), "V12");
    }
    EXPECT_EQ(knownPresetVersionIndex("V11"), 11) << "the exact lookup is case-sensitive";
    EXPECT_EQ(presetVersionText(knownPresetVersionIndexIgnoringCase("V10")), "v10");
}

TEST(PresetParser, CorruptDataIsReportedNotThrown) {
    for (const std::string data :
         {"", "not json", "[]", "{", R"({"version":"v11"})", "\xFF\xFE",
          R"({"notesPoolInput":"internal_chord","notesPool":[],"chordPresets":[],"tracks":[]} x)",
          // Text that is not Unicode never gets as far as the version check.
          R"({"version":"\ud800"})", "{\"version\":\"v\xC3\"}", "{\"version\":\"v11\",\"notesPoolInput\":\"\xF0"}) {
        const auto result = PresetParser::load(data);
        EXPECT_EQ(result.outcome, PresetLoadOutcome::corruptData()) << data;
        EXPECT_FALSE(result.preset);
        EXPECT_THROW(PresetParser::parse(data), DecodingError) << data;
    }
}

TEST(PresetParser, RepeatedTrackIdentifiersAreMadeUnique) {
    auto document = nlohmann::json::parse(readFixture("v11_current.json"));
    document["tracks"].push_back(document["tracks"][0]);
    const Preset preset = PresetParser::parse(document.dump());
    ASSERT_EQ(preset.tracks.size(), 2u);
    EXPECT_EQ(preset.tracks[0].id.string(), "0A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9") << "the first keeps its id";
    EXPECT_NE(preset.tracks[1].id, preset.tracks[0].id);
}

TEST(PresetParser, DefaultAndFullPresetsRoundTrip) {
    for (const Preset& preset : {defaultPreset(), test::fullPreset()}) {
        const std::string text = encodePreset(preset);
        const Preset parsed = PresetParser::parse(text);
        EXPECT_EQ(parsed, preset);
        EXPECT_EQ(encodePreset(parsed), text);
    }
}

// Presets used to be read through a whole nlohmann-json document; the text reader must give
// the very same models. Tracks without an identifier get a new one each time they are read.
TEST(PresetParser, TextReaderAgreesWithDocumentReaderOnEveryFixture) {
    std::vector<std::string> texts{encodePreset(defaultPreset()), encodePreset(test::fullPreset())};
    for (const std::string& name : test::fixtureNames()) texts.push_back(readFixture(name));
    ASSERT_GE(texts.size(), 7u);
    for (const std::string& text : texts) {
        const nlohmann::json document = nlohmann::json::parse(text);
        const Preset before = parsePresetJson(document);
        Preset now = PresetParser::parse(text);
        ASSERT_EQ(now.tracks.size(), before.tracks.size());
        for (std::size_t t = 0; t < now.tracks.size(); ++t) {
            if (!document["tracks"][t].contains("id")) now.tracks[t].id = before.tracks[t].id;
        }
        EXPECT_EQ(now, before) << text.substr(0, 200);
    }
}

}  // namespace
}  // namespace pulvan::model
