#include <gtest/gtest.h>

#include "editor/model/decoding_error.h"
#include "editor/model/preset_json.h"
#include "editor/model/preset_parser.h"
#include "editor/model/preset_version.h"
#include "tests/editor/model/model_fixtures.h"

namespace pulvan::model {
namespace {

using test::readFixture;

std::vector<int> firstSteps(const Lane& lane, std::size_t count) {
    return std::vector<int>(lane.steps.begin(), lane.steps.begin() + static_cast<std::ptrdiff_t>(count));
}

void expectEveryPatternWhole(const Preset& preset) {
    for (const Track& track : preset.tracks) {
        for (const Pattern& pattern : track.patterns) {
            ASSERT_EQ(pattern.lanes.size(), 10u);
            for (const auto& [kind, lane] : pattern.lanes) {
                EXPECT_GE(lane.lastStep, 1);
                EXPECT_LE(lane.lastStep, 64);
                EXPECT_GE(lane.steps.size(), 64u);
            }
        }
    }
}

TEST(PresetVersions, KnownTextsAndTheirIndices) {
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(knownPresetVersionIndex(presetVersionText(i)), i);
        EXPECT_EQ(presetVersionText(i), "v" + std::to_string(i + 1));
    }
    for (const char* unknown : {"", "V1", "v0", "v12", "v1 ", "11"}) EXPECT_EQ(knownPresetVersionIndex(unknown), 11) << unknown;
    EXPECT_EQ(knownPresetVersionIndexIgnoringCase("V11"), 10);
    EXPECT_EQ(presetVersionText(11), "");
    EXPECT_EQ(presetVersionText(-1), "");
}

TEST(PresetParser, UnversionedFileIsTheFirstFormat) {
    const Preset preset = PresetParser::parse(readFixture("v1_unversioned.json"));
    EXPECT_EQ(preset.version, "v11");
    EXPECT_EQ(preset.swingPercent, 58);
    EXPECT_EQ(preset.currentSceneIndex, 2);
    EXPECT_EQ(preset.sceneLaunchResolution, 4);
    EXPECT_EQ(preset.patternLaunchResolution, 8);
    EXPECT_TRUE(preset.resyncOnNewScene);
    ASSERT_EQ(preset.chordPresets.size(), 2u);
    EXPECT_EQ(preset.chordPresets[1].chord, (std::vector<int>{62, 65, 69}));
    EXPECT_EQ(preset.chordPresets[1].patterns, std::vector<std::optional<int>>(6));

    ASSERT_EQ(preset.tracks.size(), 2u);
    const Track& bass = preset.tracks[0];
    EXPECT_EQ(bass.accentColorHex, 0x3DC2D2) << "old tracks take the palette colour of their place";
    EXPECT_EQ(preset.tracks[1].accentColorHex, 0xDD9DB2);
    EXPECT_NE(bass.id, preset.tracks[1].id);
    EXPECT_EQ(bass.fillEmpty, FillEmpty::circular);
    ASSERT_EQ(bass.patterns.size(), 2u);
    for (const Pattern& pattern : bass.patterns) EXPECT_EQ(pattern.resolution, 108);
    EXPECT_EQ(bass.patterns[1].direction, PatternDirection::backward);

    const Pattern& first = bass.patterns[0];
    EXPECT_EQ(firstSteps(first.lane(LaneKind::tie), 16),
              (std::vector<int>{0, 2, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
    const Lane& notes = first.lane(LaneKind::notes);
    EXPECT_EQ(notes.lastStep, 12);
    ASSERT_TRUE(notes.noteStepChords);
    EXPECT_EQ(notes.noteStepChords->at(5), Chord{5});
    const Lane& fix = first.lane(LaneKind::fix);
    EXPECT_EQ(fix.lastStep, 12) << "FIX takes the NOTES lane's length";
    EXPECT_EQ(fix.steps, std::vector<int>(64, 1)) << "a chromatic track fixes every step";
    EXPECT_EQ(preset.tracks[1].patterns[0].lane(LaneKind::fix).steps, std::vector<int>(64, 0));
    EXPECT_EQ(preset.tracks[1].patterns[0].lane(LaneKind::fix).lastStep, 16);
    expectEveryPatternWhole(preset);
}

TEST(PresetParser, Version3GainsChordsTiesAndFix) {
    const Preset preset = PresetParser::parse(readFixture("v3_old_notes.json"));
    EXPECT_EQ(preset.version, "v11");
    EXPECT_EQ(preset.notesPoolInput, NotesPoolInput::midiIn);
    EXPECT_EQ(preset.swingPercent, 75);
    EXPECT_FALSE(preset.currentSceneIndex);
    EXPECT_EQ(preset.sceneLaunchResolution, 16);
    EXPECT_EQ(preset.chordPresets[0].chord, (std::vector<int>{48, 55}));
    const Track& track = preset.tracks[0];
    EXPECT_EQ(track.id.string(), "6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B");
    EXPECT_EQ(track.accentColorHex, 0xFFFFFF) << "from the third format on, colours are kept (clamped)";
    const Pattern& pattern = track.patterns[0];
    EXPECT_EQ(pattern.direction, PatternDirection::smartRandom);
    EXPECT_EQ(pattern.resolution, 204);
    const Lane& notes = pattern.lane(LaneKind::notes);
    ASSERT_TRUE(notes.noteStepChords);
    EXPECT_EQ(notes.noteStepChords->at(5), Chord{9});
    EXPECT_EQ(notes.noteStepChords->size(), 64u);
    EXPECT_EQ(firstSteps(pattern.lane(LaneKind::tie), 3), (std::vector<int>{2, 2, 0}));
    EXPECT_EQ(pattern.lane(LaneKind::fix).lastStep, 4);
    EXPECT_EQ(pattern.lane(LaneKind::fix).steps, std::vector<int>(64, 0));
    expectEveryPatternWhole(preset);
}

TEST(PresetParser, Version5MigratesTiesAndRebuildsFix) {
    const Preset preset = PresetParser::parse(readFixture("v5_old_ties.json"));
    EXPECT_EQ(preset.version, "v11");
    EXPECT_EQ(preset.tracks[0].accentColorHex, 0x3DC2D2) << "a missing colour is the first palette entry";
    const Pattern& pattern = preset.tracks[0].patterns[0];
    EXPECT_EQ(firstSteps(pattern.lane(LaneKind::tie), 8), (std::vector<int>{2, 2, 2, 0, 2, 0, 2, 0}));
    const Lane& notes = pattern.lane(LaneKind::notes);
    EXPECT_EQ(notes.lastStep, 33);
    EXPECT_EQ(firstSteps(notes, 4), (std::vector<int>{0, 2, 0, 5}));
    EXPECT_EQ(notes.chordNotes(0), (Chord{0, 4, 7}));
    EXPECT_EQ(notes.chordNotes(3), (Chord{5, 9}));
    const Lane& fix = pattern.lane(LaneKind::fix);
    EXPECT_EQ(fix.lastStep, 33);
    std::vector<int> expectedFix(64, 0);
    expectedFix[1] = expectedFix[2] = expectedFix[4] = expectedFix[19] = 1;
    EXPECT_EQ(fix.steps, expectedFix);
    expectEveryPatternWhole(preset);
}

TEST(PresetParser, Version6AddsFixLanesOnly) {
    const Preset preset = PresetParser::parse(readFixture("v6_no_fix.json"));
    const Track& track = preset.tracks[0];
    EXPECT_EQ(track.patterns[0].lane(LaneKind::fix).lastStep, 1) << "NOTES last step 0";
    EXPECT_EQ(track.patterns[1].lane(LaneKind::fix).lastStep, 64) << "NOTES last step 80";
    EXPECT_EQ(track.patterns[2].lane(LaneKind::fix).lastStep, 16) << "no NOTES lane";
    for (const Pattern& pattern : track.patterns) EXPECT_EQ(pattern.lane(LaneKind::fix).steps, std::vector<int>(64, 1));
    EXPECT_EQ(track.patterns[0].lane(LaneKind::tie).steps[0], 1) << "ties of the sixth format are already current";
    EXPECT_FALSE(track.patterns[0].lane(LaneKind::notes).noteStepChords);
    expectEveryPatternWhole(preset);
}

TEST(PresetParser, CurrentFileReadsToTheExpectedModel) {
    Preset expected;
    expected.notesPool = {60, 63, 67};
    expected.swingPercent = 62;
    expected.currentSceneIndex = 3;
    expected.currentTrackPatternIndices = std::vector<int>{5};
    expected.sceneLaunchResolution = 16;
    expected.patternLaunchResolution = 4;
    expected.chordPresets = {ChordPreset{{60, 63, 67}, {2, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt}},
                             ChordPreset{}};
    Track track;
    track.id = *foundation::Uuid::parse("0a1b2c3d-4e5f-4061-8293-a4b5c6d7e8f9");
    track.name = "Pad \u2728 \u00dcn\u00efcode";
    track.solo = true;
    track.accentColorHex = 12345;
    track.liveCCA = 64;
    track.liveCCB = 127;
    track.octave = -2;
    track.transpose = 5;
    track.outputChord = {0, 4, 7};
    track.poly = true;
    track.midiOutputChannel = 4;
    track.midiOutOffsetMs = -120;
    track.ccA = 74;
    track.ccB = 71;
    track.portamentoCC = 5;
    track.portamentoOnValue = 100;
    track.portamentoOffValue = 3;
    Pattern second = defaultPattern();
    second.direction = PatternDirection::pingPong2;
    second.resolution = 232;
    second.lane(LaneKind::velocity).lastStep = 32;
    second.lane(LaneKind::velocity).steps[0] = 127;
    second.lane(LaneKind::notes).setChord({2, 4, 6}, 0);
    second.lane(LaneKind::notes).steps[1] = 1;
    second.lane(LaneKind::notes).syncChordRoot(1);
    second.lane(LaneKind::fix).steps[0] = 1;
    track.patterns = {defaultPattern(), second};
    expected.tracks = {track};

    const Preset preset = PresetParser::parse(readFixture("v11_current.json"));
    EXPECT_EQ(preset, expected);
    EXPECT_EQ(PresetParser::parse(encodePreset(preset)), preset);
}

TEST(PresetParser, VersionCheckComesFirst) {
    struct Row {
        std::string version;
        PresetLoadOutcome outcome;
    };
    const std::vector<Row> rows{
        {R"("v11")", PresetLoadOutcome::success()},
        {R"("V11")", PresetLoadOutcome::success()},
        {R"("v7")", PresetLoadOutcome::success()},
        {R"("")", PresetLoadOutcome::success()},
        {"null", PresetLoadOutcome::success()},
        {R"("v12")", PresetLoadOutcome::unsupportedVersion("v12")},
        {R"("V12")", PresetLoadOutcome::unsupportedVersion("V12")},
        {R"("v1.0")", PresetLoadOutcome::unsupportedVersion("v1.0")},
        {"12", PresetLoadOutcome::corruptData()},
    };
    for (const Row& row : rows) {
        // The body is broken on purpose: an unknown version must win before the body is read.
        const std::string good = R"({"version":)" + row.version +
                                 R"(,"notesPoolInput":"internal_chord","notesPool":[],"chordPresets":[],"tracks":[]})";
        const std::string broken = R"({"version":)" + row.version + R"(,"tracks":7})";
        EXPECT_EQ(PresetParser::load(good).outcome, row.outcome) << row.version;
        if (row.outcome.kind == PresetLoadOutcome::Kind::unsupportedVersion) {
            EXPECT_EQ(PresetParser::load(broken).outcome, row.outcome) << row.version;
        }
    }
    try {
        PresetParser::parse(R"({"version":"V12"})");
        FAIL() << "expected an unsupported version";
    } catch (const PresetParserError& error) {
        EXPECT_EQ(error.kind(), PresetParserError::Kind::unsupportedVersion);
        EXPECT_EQ(error.version(), "V12");
    }
}

TEST(PresetParser, CorruptDataIsReportedNotThrown) {
    for (const std::string data : {"", "not json", "[]", "{", R"({"version":"v11"})", "\xFF\xFE",
                                   R"({"notesPoolInput":"internal_chord","notesPool":[],"chordPresets":[],"tracks":[]} x)"}) {
        const auto result = PresetParser::load(data);
        EXPECT_EQ(result.outcome, PresetLoadOutcome::corruptData()) << data;
        EXPECT_FALSE(result.preset);
        EXPECT_THROW(PresetParser::parse(data), DecodingError) << data;
    }
}

TEST(PresetParser, RepeatedTrackIdentifiersAreMadeUnique) {
    std::string data = readFixture("v11_current.json");
    auto document = nlohmann::json::parse(data);
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

}  // namespace
}  // namespace pulvan::model
