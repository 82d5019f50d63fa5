#include <gtest/gtest.h>

#include "editor/model/preset_json.h"
#include "editor/model/preset_parser.h"
#include "tests/editor/model/model_fixtures.h"

#include <cstdint>
#include <limits>
#include <random>
#include <set>

// Valid presets broken at random: parsing must never crash or throw, and must yield either an
// error outcome or a model that every consumer can use as it is.
namespace pulvan::model {
namespace {

using nlohmann::json;

void collectNodes(json& node, std::vector<json*>& nodes) {
    nodes.push_back(&node);
    if (node.is_structured()) {
        for (json& child : node) collectNodes(child, nodes);
    }
}

json nested(int depth) {
    json value = 1;
    for (int i = 0; i < depth; ++i) value = json::array({std::move(value)});
    return value;
}

json randomReplacement(std::mt19937_64& random) {
    static const std::vector<json> values{nullptr,        true,           "x", 1.5, INT64_MAX, INT64_MIN, UINT64_MAX, -1e300, json::array(),
                                          json::object(), "\xE2\x9C\xA8", 0};
    const auto pick = random() % (values.size() + 2);
    if (pick == values.size()) return nested(1 + static_cast<int>(random() % 40));
    if (pick == values.size() + 1) return static_cast<std::int64_t>(random() % 300) - 100;
    return values[pick];
}

void mutateTree(json& document, std::mt19937_64& random) {
    std::vector<json*> nodes;
    collectNodes(document, nodes);
    json& target = *nodes[random() % nodes.size()];
    const auto choice = random() % 4;
    if (choice == 0 && target.is_object() && !target.empty()) {
        auto item = target.begin();
        std::advance(item, static_cast<std::ptrdiff_t>(random() % target.size()));
        target.erase(item.key());
    } else if (choice == 1 && target.is_array() && !target.empty()) {
        const auto size = target.size();
        if (random() % 2 == 0) {
            target.erase(random() % size);
        } else {
            target.push_back(target[random() % size]);
        }
    } else {
        target = randomReplacement(random);
    }
}

std::string mutateText(std::string text, std::mt19937_64& random) {
    if (text.empty()) return text;
    const std::size_t at = random() % text.size();
    switch (random() % 3) {
        case 0: text.resize(at); break;
        case 1: text[at] = static_cast<char>(random() % 256); break;
        default: text.insert(at, std::string(1 + random() % 4, "[{\",:0-e"[random() % 8])); break;
    }
    return text;
}

bool within(std::int64_t value, std::int64_t low, std::int64_t high) { return value >= low && value <= high; }

void expectUsableModel(const Preset& preset) {
    EXPECT_EQ(preset.version, "v11");
    EXPECT_TRUE(within(preset.swingPercent, 50, 75));
    EXPECT_TRUE(within(preset.currentSceneIndex.value_or(0), 0, 7));
    for (const int resolution : {preset.sceneLaunchResolution, preset.patternLaunchResolution}) {
        EXPECT_EQ(normalizedLaunchResolution(resolution), resolution);
    }
    const auto indices = preset.currentTrackPatternIndices.value_or(std::vector<int>{});
    EXPECT_LE(indices.size(), std::min<std::size_t>(preset.tracks.size(), 6));
    for (const int index : indices) EXPECT_TRUE(within(index, 0, 7));
    for (const ChordPreset& scene : preset.chordPresets) EXPECT_EQ(normalizedScenePatterns(scene.patterns), scene.patterns);
    std::set<foundation::Uuid> ids;
    for (const Track& track : preset.tracks) {
        EXPECT_TRUE(ids.insert(track.id).second) << "repeated track id";
        EXPECT_TRUE(within(track.accentColorHex, 0, 0xFFFFFF) && within(track.midiOutOffsetMs, -200, 200));
        for (const int value : {track.liveCCA, track.liveCCB, track.portamentoCC, track.portamentoOnValue, track.portamentoOffValue}) {
            EXPECT_TRUE(within(value, 0, 127)) << value;
        }
        for (const Pattern& pattern : track.patterns) {
            EXPECT_EQ(pattern.resolution, normalizedResolution(pattern.resolution));
            ASSERT_EQ(pattern.lanes.size(), 10u);
            for (const auto& [kind, lane] : pattern.lanes) {
                ASSERT_TRUE(within(lane.lastStep, 1, 64)) << lane.lastStep;
                ASSERT_GE(lane.steps.size(), 64u);
                EXPECT_EQ(lane.noteStepChords.value_or(lane.normalizedChords()).size(), lane.steps.size());
            }
        }
    }
}

struct Outcomes {
    int success = 0, corrupt = 0, unsupported = 0;
};

void parseAndCheck(const std::string& data, Outcomes& outcomes) {
    PresetParser::LoadResult result;
    ASSERT_NO_THROW(result = PresetParser::load(data)) << data.substr(0, 200);
    switch (result.outcome.kind) {
        case PresetLoadOutcome::Kind::success: {
            ++outcomes.success;
            ASSERT_TRUE(result.preset);
            expectUsableModel(*result.preset);
            // Once parsed, a preset is stable: writing it and reading it back changes nothing.
            const std::string written = encodePreset(*result.preset);
            const auto again = PresetParser::load(written);
            ASSERT_EQ(again.outcome, PresetLoadOutcome::success()) << written.substr(0, 200);
            EXPECT_EQ(encodePreset(*again.preset), written);
            break;
        }
        case PresetLoadOutcome::Kind::corruptData:
            ++outcomes.corrupt;
            EXPECT_FALSE(result.preset);
            break;
        case PresetLoadOutcome::Kind::unsupportedVersion:
            ++outcomes.unsupported;
            EXPECT_FALSE(result.preset);
            break;
    }
}

TEST(PresetMutation, RandomlyBrokenPresetsNeverCrashTheParser) {
    std::vector<json> bases{json::parse(encodePreset(defaultPreset()))};
    for (const char* name : {"v1_unversioned.json", "v3_old_notes.json", "v5_old_ties.json", "v6_no_fix.json", "v11_current.json"}) {
        bases.push_back(json::parse(test::readFixture(name)));
    }

    std::mt19937_64 random(20261206);
    Outcomes outcomes;
    for (int round = 0; round < 4000; ++round) {
        json document = bases[random() % bases.size()];
        const int mutations = 1 + static_cast<int>(random() % 2);
        for (int m = 0; m < mutations; ++m) mutateTree(document, random);
        std::string text = document.dump();
        if (random() % 4 == 0) text = mutateText(std::move(text), random);
        parseAndCheck(text, outcomes);
        if (HasFatalFailure()) return;
    }
    // The mutations must reach every outcome, or the test proves little.
    EXPECT_GT(outcomes.success, 400);
    EXPECT_GT(outcomes.corrupt, 400);
    EXPECT_GT(outcomes.unsupported, 0);
}

TEST(PresetMutation, DeepNestingIsCorruptDataNotAStackOverflow) {
    const int depth = 200000;
    const std::string deep = std::string(depth, '[') + std::string(depth, ']');
    for (const std::string& data : {R"({"tracks":)" + deep + "}", deep,
                                    R"({"notesPoolInput":"internal_chord","notesPool":)" + deep + R"(,"chordPresets":[],"tracks":[]})"}) {
        EXPECT_EQ(PresetParser::load(data).outcome, PresetLoadOutcome::corruptData());
    }
}

}  // namespace
}  // namespace pulvan::model
