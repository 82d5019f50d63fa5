#include "editor/library/preset_files.h"
#include "editor/model/preset_json.h"
#include "editor/store/store_services.h"
#include "tests/editor/store/store_fixture.h"

#include <string>

namespace pulvan::test {

namespace {

void writeDefaultPreset(const std::string& text) { ASSERT_TRUE(library::writePresetFile("Default", std::nullopt, text)); }

void storePreferences(const std::string& json) {
    std::vector<std::uint8_t> bytes(json.begin(), json.end());
    ASSERT_TRUE(foundation::UserDefaults::standard().setData(store::userPreferencesDefaultsKey, bytes));
}

}  // namespace

TEST_F(StoreTest, WithoutADefaultFileOrWithADamagedOrForeignOneStartsFromTheDefaultPresetWithTheStoredCCs) {
    storePreferences(R"({"default_cc_a": 20, "default_cc_b": 200})");
    for (const char* text :
         {static_cast<const char*>(nullptr), "{\"version\": \"v11\", \"tracks\": ", "{\"version\": \"v99\"}", "[]", ""}) {
        if (text) writeDefaultPreset(text);
        auto store = makeStore();
        ASSERT_EQ(store->preset->tracks.size(), 1u) << (text ? text : "no file");
        EXPECT_EQ(store->preset->tracks[0].name, "Track 1");
        EXPECT_EQ(store->preset->tracks[0].ccA, 20);
        EXPECT_EQ(store->preset->tracks[0].ccB, 127);
        EXPECT_EQ(store->preset->chordPresets.size(), 8u);
        EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial"}));
        EXPECT_EQ(store->history().snapshot(0), store->preset.get());
    }
}

TEST_F(StoreTest, TheDefaultFileIsNormalisedOnStartUpAndAGivenPresetWinsOverIt) {
    model::Preset preset = model::defaultPreset();
    preset.chordPresets.resize(3);
    preset.chordPresets[0].chord = {60, 63, 67};
    preset.swingPercent = 75;
    preset.tracks[0].name = "From file";
    std::string text = model::encodePreset(preset);
    // Values the writer would never produce, as an older or foreign file may hold them.
    auto patch = [&](const std::string& from, const std::string& to) {
        auto at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    patch("\"swing_percent\":75", "\"swing_percent\":90");
    patch("\"scene_launch_resolution\":1", "\"scene_launch_resolution\":2");
    writeDefaultPreset(text);

    auto store = makeStore();
    EXPECT_EQ(store->preset->tracks[0].name, "From file");
    ASSERT_EQ(store->preset->chordPresets.size(), 8u);
    for (std::size_t i = 3; i < 8; ++i) EXPECT_EQ(store->preset->chordPresets[i], model::ChordPreset{}) << i;
    EXPECT_EQ(store->preset->swingPercent, 75);
    EXPECT_EQ(store->preset->sceneLaunchResolution, 16);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{60, 63, 67}));
    model::Preset given = model::defaultPreset();
    given.tracks[0].name = "Given";
    EXPECT_EQ(makeStore(given)->preset->tracks[0].name, "Given") << "a given preset wins over the file";
}

TEST_F(StoreTest, TheStartingSceneFollowsTheNotesPoolInput) {
    struct Case {
        model::NotesPoolInput input;
        std::optional<int> currentScene, expectedCurrentScene;
        int expectedActiveScene;
        std::vector<int> expectedPool;
    };
    for (const Case& c : std::vector<Case>{{model::NotesPoolInput::midiIn, 4, std::nullopt, 0, {}},
                                           {model::NotesPoolInput::internalChord, 9, 0, 0, {40}},
                                           {model::NotesPoolInput::internalChord, -1, 0, 0, {40}},
                                           {model::NotesPoolInput::internalChord, std::nullopt, 0, 0, {40}},
                                           {model::NotesPoolInput::internalChord, 7, 7, 7, {47}}}) {
        model::Preset preset = model::defaultPreset();
        preset.chordPresets.resize(8);
        for (int s = 0; s < 8; ++s) preset.chordPresets[static_cast<std::size_t>(s)].chord = {40 + s};
        preset.notesPoolInput = c.input;
        preset.currentSceneIndex = c.currentScene;
        preset.notesPool = {1, 2, 3};
        auto store = makeStore(preset);
        EXPECT_EQ(store->preset->currentSceneIndex, c.expectedCurrentScene) << c.currentScene.value_or(-99);
        EXPECT_EQ(store->activeSceneIndex.get(), c.expectedActiveScene);
        EXPECT_EQ(store->preset->notesPool, c.expectedPool);
    }
}

TEST_F(StoreTest, StoredPatternIndicesBecomeTrackSelections) {
    model::Preset preset = model::defaultPreset();
    preset.tracks.push_back(preset.tracks[0]);
    preset.tracks[1].id = foundation::Uuid::random();
    preset.tracks[1].patterns.resize(3);
    preset.currentTrackPatternIndices = std::vector<int>{5, 7, 4};
    auto store = makeStore(preset);
    ASSERT_EQ(store->selections->size(), 2u);
    EXPECT_EQ(store->selections->at(preset.tracks[0].id), (store::TrackSelection{5, 0}));
    EXPECT_EQ(store->selections->at(preset.tracks[1].id), (store::TrackSelection{2, 0})) << "held to the track's patterns";
    EXPECT_EQ(store->activePatternIndex(), 5);
}

TEST_F(StoreTest, StoredPreferencesAreAppliedWithinTheirBounds) {
    struct Case {
        const char* stored;  // nullptr: nothing stored
        bool pinned;
        int uiMaxWidth, hostedWindowWidth, ccA, ccB;
    };
    for (
        const Case& c : std::vector<Case>{
            {nullptr, false, 2000, 1280, 74, 71},
            {R"({"ui_max_width": 1337})", false, 1350, 1280, 74, 71},
            {R"({"ui_max_width": 1024})", false, 1000, 1280, 74, 71},
            {R"({"ui_max_width": 1025})", false, 1050, 1280, 74, 71},
            {R"({"ui_max_width": 1075})", false, 1100, 1280, 74, 71},
            {R"({"ui_max_width": 999})", false, 1000, 1280, 74, 71},
            {R"({"ui_max_width": 2600})", false, 2000, 1280, 74, 71},
            {R"({"hosted_window_width": 100})", false, 2000, 640, 74, 71},
            {R"({"hosted_window_width": 9000, "default_cc_a": -4})", false, 2000, 3200, 0, 71},
            {R"({"is_performance_dialog_pinned": true, "ui_max_width": 1500, "hosted_window_width": 1600, "default_cc_a": 10, "default_cc_b": 11, "other": 1})",
             true, 1500, 1600, 10, 11},
            {"not json", false, 2000, 1280, 74, 71},
            {R"({"ui_max_width": "wide"})", false, 2000, 1280, 74, 71}}) {
        if (c.stored) storePreferences(c.stored);
        auto store = makeStore();
        const char* name = c.stored ? c.stored : "nothing stored";
        EXPECT_EQ(store->pinPerformanceDialog().get(), c.pinned) << name;
        EXPECT_EQ(store->uiMaxContentWidth.get(), c.uiMaxWidth) << name;
        EXPECT_EQ(store->hostedWindowWidth, c.hostedWindowWidth) << name;
        EXPECT_EQ(store->defaultCCA.get(), c.ccA) << name;
        EXPECT_EQ(store->defaultCCB.get(), c.ccB) << name;
    }
}

TEST_F(StoreTest, SavedPreferencesAreReadBackByTheNextStore) {
    auto store = makeStore();
    store->setPinPerformanceDialog(true);  // the setter saves
    store->hostedWindowWidth = 1500;
    store->uiMaxContentWidth.set(1200);
    store->saveUserPreferences();
    auto next = makeStore();
    EXPECT_TRUE(next->pinPerformanceDialog().get());
    EXPECT_EQ(next->hostedWindowWidth, 1500);
    EXPECT_EQ(next->uiMaxContentWidth.get(), 1200);
    next->saveUserPreferences(store::UserPreferences{false, 1000, 700, 1, 2});
    auto third = makeStore();
    EXPECT_FALSE(third->pinPerformanceDialog().get());
    EXPECT_EQ(third->defaultCCB.get(), 2);
}

}  // namespace pulvan::test
