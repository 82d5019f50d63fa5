#include "editor/link/track_configs.h"

#include "tests/editor/link/link_fixture.h"

#include <functional>

namespace pulvan::test {
namespace {

using link::AppPlayTrackConfig;
using model::LaneKind;

class TrackConfigsTest : public StoreLinkTest {
protected:
    void withTracks(int count) {
        store->preset.modify([&](model::Preset& p) {
            while (static_cast<int>(p.tracks.size()) < count) {
                model::Track t = p.tracks.front();
                t.id = foundation::Uuid::random();
                p.tracks.push_back(t);
            }
        });
    }
    void edit(const std::function<void(model::Preset&)>& change) { store->preset.modify(change); }
    AppPlayTrackConfig config(int i = 0) {
        return link::buildAppPlayTrackConfigs(*store, std::nullopt, {}).configs.at(static_cast<std::size_t>(i));
    }
};

struct TrackClampCase {
    const char* name;
    std::function<void(model::Track&)> change;
    std::function<int(const AppPlayTrackConfig&)> read;
    int expected;
};

TEST_F(TrackConfigsTest, TrackValuesAreClampedIntoTheEnginesRanges) {
    const TrackClampCase cases[] = {
        {"channel 0", [](auto& t) { t.midiOutputChannel = 0; }, [](auto& c) { return c.midiChannel; }, 1},
        {"channel 17", [](auto& t) { t.midiOutputChannel = 17; }, [](auto& c) { return c.midiChannel; }, 16},
        {"octave 5", [](auto& t) { t.octave = 5; }, [](auto& c) { return c.trackOctave; }, 3},
        {"transpose -20", [](auto& t) { t.transpose = -20; }, [](auto& c) { return c.trackTranspose; }, -12},
        {"offset 250", [](auto& t) { t.midiOutOffsetMs = 250; }, [](auto& c) { return c.midiOutOffsetMs; }, 200},
        {"cc A 128", [](auto& t) { t.ccA = 128; }, [](auto& c) { return c.ccAController; }, 127},
        {"portamento on 300", [](auto& t) { t.portamentoOnValue = 300; }, [](auto& c) { return c.portamentoOnValue; }, 127},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        store->preset.modify([&](model::Preset& p) { c.change(p.tracks[0]); });
        EXPECT_EQ(c.read(config()), c.expected);
        store->preset.modify([&](model::Preset& p) { p.tracks[0] = model::defaultPreset().tracks[0]; });
    }
}

struct LaneCase {
    const char* name;
    LaneKind kind;
    std::vector<int> steps;
    std::function<const std::vector<int>&(const AppPlayTrackConfig&)> read;
    int firstExpected;
    int lastExpected;  // step 63
};

TEST_F(TrackConfigsTest, LanesAreCutOrPaddedTo64StepsAndClamped) {
    const LaneCase cases[] = {
        {"velocity of 10 steps padded with 100", LaneKind::velocity, std::vector<int>(10, 90),
         [](auto& c) -> const std::vector<int>& { return c.velocitySteps; }, 90, 100},
        {"length of 3 steps padded with 75",
         LaneKind::length,
         {120, 5, 5},
         [](auto& c) -> const std::vector<int>& { return c.lengthSteps; },
         100,
         75},
        {"cc A keeps 128, clamps 200", LaneKind::ccA, {200, 128}, [](auto& c) -> const std::vector<int>& { return c.ccASteps; }, 128, 0},
        {"tie clamped to 2", LaneKind::tie, {7}, [](auto& c) -> const std::vector<int>& { return c.tieSteps; }, 2, 0},
        {"fix becomes a flag", LaneKind::fix, {5}, [](auto& c) -> const std::vector<int>& { return c.fixSteps; }, 1, 0},
        {"probability clamped to 6",
         LaneKind::probability,
         {9},
         [](auto& c) -> const std::vector<int>& { return c.probabilitySteps; },
         6,
         0},
        {"80 gate steps keep their first 64", LaneKind::gate,
         [] {
             std::vector<int> v(80, 0);
             v[63] = 1;
             v[64] = 1;
             return v;
         }(),
         [](auto& c) -> const std::vector<int>& { return c.gateSteps; }, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        edit([&](model::Preset& p) { p.tracks[0].patterns[0].lane(c.kind).steps = c.steps; });
        const auto result = config();
        const auto& steps = c.read(result);
        ASSERT_EQ(steps.size(), 64u);
        EXPECT_EQ(steps.front(), c.firstExpected);
        EXPECT_EQ(steps.back(), c.lastExpected);
        edit([&](model::Preset& p) { p.tracks[0].patterns[0] = model::defaultPattern(); });
    }
}

TEST_F(TrackConfigsTest, StepChordsBecomePoolIndicesWithTheBaseAsFallback) {
    edit([](model::Preset& p) {
        auto& notes = p.tracks[0].patterns[0].lane(LaneKind::notes);
        notes.steps = {3, 4, 14};
        notes.noteStepChords = std::vector<model::Chord>{{3, 15, -2}, {}, {14}};
    });
    const auto c = config();
    EXPECT_EQ(c.noteStepChords[0], (std::vector<int>{3, 11, 0}));
    EXPECT_EQ(c.notesSteps[0], 3);
    EXPECT_EQ(c.noteStepChords[1], (std::vector<int>{4}));  // an empty chord falls back to the step
    EXPECT_EQ(c.noteStepChords[2], (std::vector<int>{11}));
    EXPECT_EQ(c.noteStepChords[3], (std::vector<int>{0}));  // past the lane's own steps
}

TEST_F(TrackConfigsTest, SoloOnAVisibleTrackMutesTheOthersWhateverTheirFlags) {
    withTracks(7);
    edit([](model::Preset& p) {
        p.tracks[2].solo = true;
        p.tracks[2].mute = true;
        p.tracks[1].mute = false;
    });
    const auto configs = link::buildAppPlayTrackConfigs(*store, std::nullopt, {}).configs;
    ASSERT_EQ(configs.size(), 6u);
    const std::vector<bool> expected{true, true, false, true, true, true};
    for (std::size_t i = 0; i < configs.size(); ++i) EXPECT_EQ(configs[i].mute, expected[i]) << i;

    edit([](model::Preset& p) {
        p.tracks[2].solo = false;
        p.tracks[6].solo = true;  // not visible: ignored
    });
    EXPECT_TRUE(link::buildAppPlayTrackConfigs(*store, std::nullopt, {}).configs[2].mute);
    EXPECT_FALSE(link::buildAppPlayTrackConfigs(*store, std::nullopt, {}).configs[1].mute);
}

struct PatternChoiceCase {
    const char* name;
    std::optional<int> sceneEntry;
    std::optional<int> override;
    int selection;
    int expected;
};

TEST_F(TrackConfigsTest, PatternChoiceFollowsOverrideThenSceneThenSelection) {
    const PatternChoiceCase cases[] = {
        {"scene entry 3", 3, std::nullopt, 5, 2},
        {"scene entry 0", 0, std::nullopt, 5, 0},
        {"no scene entry: selection", std::nullopt, std::nullopt, 5, 5},
        {"override 12 clamped", 3, 12, 5, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        edit([&](model::Preset& p) {
            p.chordPresets[1].patterns[0] = c.sceneEntry;
            for (int i = 0; i < 8; ++i) p.tracks[0].patterns[static_cast<std::size_t>(i)].resolution = 100 + i;
        });
        const auto id = store->preset->tracks[0].id;
        store->selections.set({{id, store::TrackSelection{c.selection, 0}}});
        link::PatternOverrides overrides;
        if (c.override) overrides[id] = *c.override;
        EXPECT_EQ(link::buildAppPlayTrackConfigs(*store, 1, overrides).configs[0].resolution, 100 + c.expected);
    }
}

struct ChordSlotCase {
    int outputIntervals;
    int chordNotes;
    int expectedCount;
};

TEST_F(TrackConfigsTest, PayloadCapsStepChordsByTheOutputChordAndFillsSlotsWithTheBase) {
    const ChordSlotCase cases[] = {{0, 17, 17}, {1, 12, 8}, {2, 6, 5},   {3, 12, 4}, {4, 12, 3},
                                   {7, 12, 2},  {8, 12, 1}, {20, 12, 1}, {2, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.outputIntervals << " intervals, " << c.chordNotes << " notes");
        AppPlayTrackConfig config = link::makeAppPlayTrackConfig(*store, 0, store->preset->tracks[0], {}, nullptr, false);
        config.outputChord = std::vector<int>(static_cast<std::size_t>(c.outputIntervals), 7);
        std::vector<int> chord;
        for (int k = 0; k < c.chordNotes; ++k) chord.push_back((k + 1) % 12);
        config.noteStepChords[5] = chord;
        config.notesSteps[5] = chord.front();
        const auto payload = link::buildHostedAppPlayPayload({config}, {}, 50);
        EXPECT_EQ(payload.outputChordCounts[0], std::min(c.outputIntervals, 16));
        EXPECT_EQ(payload.outputChordIntervals.size(), 16u);
        EXPECT_EQ(payload.noteStepChordCounts[5], c.expectedCount);
        for (int k = 0; k < 17; ++k) {
            const int expected = k < c.expectedCount ? chord[static_cast<std::size_t>(k)] : chord.front();
            EXPECT_EQ(payload.noteStepChordValues[5 * 17 + static_cast<std::size_t>(k)], expected) << k;
        }
    }
}

}  // namespace
}  // namespace pulvan::test
