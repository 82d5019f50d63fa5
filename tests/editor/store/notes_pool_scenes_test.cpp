#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using model::NotesPoolInput;
using Patterns = std::vector<std::optional<int>>;

namespace {

class Scenes : public StoreTest {
protected:
    std::vector<int> scheduledScenes;
    int resyncArms = 0;

    std::unique_ptr<store::SequencerStore> makeSceneStore(model::Preset preset = threeTrackPreset()) {
        auto store = makeStore(std::move(preset));
        store->linkHooks.scheduleSceneSelection = [this](int index) { return scheduledScenes.push_back(index), true; };
        store->hooks.hostedAppPlaySetResyncArmed = [this](bool armed) { resyncArms += armed ? 1 : 0; };
        return store;
    }

    static int selectedPattern(const store::SequencerStore& store, int track) {
        const auto it = store.selections->find(store.preset->tracks[static_cast<std::size_t>(track)].id);
        return it == store.selections->end() ? 0 : it->second.pattern;
    }
};

}  // namespace

TEST_F(Scenes, PoolEditsKeepThePoolAscendingAndWriteTheActiveScene) {
    const std::vector<std::pair<std::function<void(store::SequencerStore&)>, std::vector<int>>> cases{
        {[](auto& s) { s.editNotesPool(64); }, {60, 67}},
        {[](auto& s) { s.editNotesPool(62); }, {60, 62, 64, 67}},
        {[](auto& s) { s.editNotesPool(128); }, {60, 64, 67}},
        {[](auto& s) { s.moveNotesPoolNote(60, 70); }, {64, 67, 70}},
        {[](auto& s) { s.moveNotesPoolNote(60, 64); }, {60, 64, 67}},
        {[](auto& s) { s.moveNotesPoolNote(60, -1); }, {60, 64, 67}},
        {[](auto& s) { s.shiftChord(61); }, {121, 125, 127}},
        {[](auto& s) { s.shiftChord(-64); }, {0, 3}},
    };
    for (const auto& [edit, pool] : cases) {
        auto store = makeSceneStore();
        edit(*store);
        EXPECT_EQ(store->preset->notesPool, pool);
        EXPECT_EQ(store->preset->chordPresets[0].chord, pool);
        const bool refused = pool == std::vector<int>({60, 64, 67});
        EXPECT_EQ(store->history().count(), refused ? 1 : 2) << "a refused edit records nothing";
    }
}

TEST_F(Scenes, InMIDIInModeThePoolFollowsTheHeldOrLatchedNotes) {
    auto store = makeSceneStore();
    store->incomingMIDINoteCountByNote = {{64, 1}, {48, 2}, {50, 0}};
    store->setNotesPoolInput(NotesPoolInput::midiIn);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{48, 64}));
    store->editNotesPool(72);
    EXPECT_EQ(store->preset->chordPresets[0].chord, (std::vector<int>{60, 64, 67})) << "no scene changes in MIDI-in mode";
    store->setNotesPoolMIDILatch(true);
    store->incomingMIDINoteCountByNote.clear();
    store->syncNotesPoolFromIncomingMIDI();
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{48, 64})) << "latched notes stay after release";
    store->setNotesPoolMIDILatchEnabled(false);
    EXPECT_TRUE(store->preset->notesPool.empty());
    EXPECT_EQ(store->history().count(), 3) << "latch and pool sync are not undoable";

    store->activeSceneIndex.set(1);
    store->setNotesPoolMIDILatch(true);
    store->setSceneCopyToActive(true);
    store->setNotesPoolInput(NotesPoolInput::internalChord);
    EXPECT_FALSE(store->sceneCopyToActive().get());
    EXPECT_FALSE(store->notesPoolMIDILatchEnabled.get());
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{62, 65}));
    EXPECT_EQ(store->activePatternIndex(), 1) << "scene 1 plays pattern 2 on the first track";
    EXPECT_EQ(refreshes.back().queuedReleases, (std::set<int>{0, 1, 2})) << "every selected pattern is silent";
}

TEST_F(Scenes, PastingOntoTheActiveSceneAppliesItOntoAnotherOnlyStoresItAndScenesSwapStoreAndClear) {
    auto store = makeSceneStore();
    store->activeSceneIndex.set(1);
    store->copyActiveChord();
    store->activeSceneIndex.set(0);
    ASSERT_TRUE(store->pasteChordToScene(4));
    EXPECT_EQ(store->preset->chordPresets[4], store->preset->chordPresets[1]);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{60, 64, 67}));
    EXPECT_TRUE(store->pasteChordToScene(0));
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{62, 65}));
    EXPECT_EQ(store->activePatternIndex(), 1);
    EXPECT_TRUE(store->pendingAppPlayGlobalNoteRelease);
    EXPECT_FALSE(store->pasteChordToScene(8));
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Paste chord to scene", "Paste chord"}));

    const auto scenes = store->preset->chordPresets;
    EXPECT_TRUE(store->swapChordScenes(0));
    EXPECT_FALSE(store->swapChordSceneWithActive(8));
    EXPECT_EQ(store->history().count(), 3);
    EXPECT_TRUE(store->swapChordSceneWithActive(2));
    EXPECT_EQ(store->preset->chordPresets[0], scenes[2]);
    EXPECT_EQ(store->preset->chordPresets[2], scenes[0]);
    store->preset.modify([](model::Preset& p) { p.notesPool = {67, 60, 67}; });
    store->storeChordToScene(6);
    EXPECT_EQ(store->preset->chordPresets[6].chord, (std::vector<int>{60, 67}));
    store->clearActiveSceneChord();
    EXPECT_EQ(store->preset->chordPresets[0], model::ChordPreset{});
    EXPECT_TRUE(store->preset->notesPool.empty());
    store->preset.modify([](model::Preset& p) {
        p.chordPresets[5].patterns[2] = 4;
        p.chordPresets[7].patterns[4] = 4;  // no fifth track
    });
    EXPECT_EQ(std::vector<bool>(
                  {store->isChordSceneEmpty(0), store->isChordSceneEmpty(5), store->isChordSceneEmpty(7), store->isChordSceneEmpty(12)}),
              (std::vector<bool>{true, false, true, true}));

    store->preset.modify([](model::Preset& p) { p.notesPoolInput = NotesPoolInput::midiIn, p.notesPool = {62, 65}; });
    store->copyActiveChord();
    EXPECT_EQ(store->chordClipboard, (model::ChordPreset{{62, 65}, Patterns(6)})) << "MIDI in: the pool without patterns";
}

TEST_F(Scenes, SelectingWhileStoppedAppliesAtOnceWhilePlayingLaunchesQuantised) {
    auto store = makeSceneStore();
    store->preset.modify([](model::Preset& p) { p.resyncOnNewScene = true; });
    store->pendingSceneSelectionIndex = 5;
    store->selectScene(1);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{62, 65}));
    EXPECT_FALSE(store->pendingSceneSelectionIndex.has_value());
    EXPECT_TRUE(scheduledScenes.empty());
    EXPECT_EQ(resyncArms, 0) << "never a resync while stopped";
    store->selectScene(1);
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Select chord"}));

    store->hooks.hostedAppPlayState = [](int) { return std::pair<int, bool>{0, true}; };
    store->isHostedUI.set(true);
    store->selectScene(2);
    EXPECT_EQ(store->activeSceneIndex.get(), 2) << "shown at once";
    EXPECT_EQ(scheduledScenes, std::vector<int>{2});
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{62, 65})) << "the chord waits for the launch";
    EXPECT_EQ(resyncArms, 1);
    store->linkHooks.scheduleSceneSelection = nullptr;  // no position known: at once
    store->selectScene(3);
    EXPECT_EQ(store->preset->notesPool, store->preset->chordPresets[3].chord);
    EXPECT_EQ(resyncArms, 1) << "a resync already armed is not armed again";

    store->pendingSceneSelectionIndex = 5;
    store->selectChord(1);
    EXPECT_FALSE(store->pendingSceneSelectionIndex.has_value());
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{62, 65}));
}

struct SelectionWhileALaunchWaitsCase {
    const char* name;
    bool playing;
    std::function<void(store::SequencerStore&)> select;
};

// An engine may hold the waiting launch, and only a push overrides it there: a selection that
// drops the launch pushes once, even when the pool, the patterns and the releases stay as they are.
TEST_F(Scenes, ASelectionThatDropsAWaitingSceneLaunchPushesOnce) {
    const SelectionWhileALaunchWaitsCase cases[] = {
        {"the chord in place", false, [](auto& s) { s.selectChord(0); }},
        {"the scene in place, stopped", false, [](auto& s) { s.selectScene(0); }},
        {"the scene in place, no position", true, [](auto& s) { s.selectScene(0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model::Preset preset = threeTrackPreset();
        for (auto& track : preset.tracks) track.patterns[0].lane(model::LaneKind::gate).steps[0] = 1;
        auto store = makeStore(std::move(preset));
        store->linkHooks.scheduleSceneSelection = [](int) { return false; };
        store->appPlayRunning.set(c.playing);
        store->activeSceneIndex.set(1);
        store->pendingSceneSelectionIndex = 1;
        store->pendingSceneSelectionScheduledInEngine = true;
        refreshes.clear();
        c.select(*store);
        EXPECT_FALSE(store->pendingSceneSelectionIndex.has_value());
        EXPECT_EQ(store->activeSceneIndex.get(), 0);
        EXPECT_EQ(refreshes.size(), 1u);
        EXPECT_EQ(store->history().count(), 1) << "nothing to undo";
    }
}

TEST_F(Scenes, ALaunchTheEngineMadeIsMirroredWithoutAPush) {
    auto store = makeSceneStore();
    store->applySceneSelection(1, false, false);
    store->applySceneSelection(1, false, false);  // nothing left to change: no skip may linger
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Select chord"}));
    EXPECT_EQ(store->activePatternIndex(), 1);
    EXPECT_TRUE(refreshes.empty());
    store->toggleMute(0);
    EXPECT_EQ(refreshes.size(), 1u);
}

TEST_F(Scenes, ScenePatternEntriesAreRefusedOutsideTheShownTracksAndNumbers) {
    auto store = makeSceneStore();
    for (auto [number, track] : std::vector<std::pair<int, int>>{{9, 0}, {0, 0}, {1, 3}, {1, 6}})
        store->setScenePatternIndex(number, track);
    EXPECT_EQ(store->history().count(), 1);
    store->setScenePatternIndex(5, 2);
    EXPECT_EQ(store->scenePatternIndex(2), 5);
    EXPECT_EQ(selectedPattern(*store, 2), 4);
    EXPECT_EQ(refreshes.back().releaseTracks, std::set<int>{2}) << "the new pattern is silent";
    store->setScenePatternIndex(std::nullopt, 2);
    EXPECT_EQ(store->scenePatternIndex(2), std::nullopt);
    EXPECT_EQ(selectedPattern(*store, 2), 4) << "clearing the entry leaves the selection";
}

TEST_F(Scenes, EightTracksNeverReadPastTheSceneOrTrackListsAndChordMemoryReleasesAndWritesTheSameClampedTrack) {
    model::Preset preset = threeTrackPreset();
    for (int i = 3; i < 8; ++i) preset.tracks.push_back(namedTrack("Extra " + std::to_string(i), i));
    preset.chordPresets[1].patterns = {2, 2, 2, 2, 2, 2};
    auto store = makeSceneStore(preset);
    store->selectScene(1);
    EXPECT_EQ(selectedPattern(*store, 5), 1);
    EXPECT_EQ(selectedPattern(*store, 6), 0) << "a seventh track has no scene entry";
    store->setScenePatternIndex(3, 6);
    EXPECT_EQ(store->scenePatternIndex(6), std::nullopt);
    store->clearActiveChord();
    store->chordClipboard = model::ChordPreset{{1}, {1}};  // a short list
    EXPECT_TRUE(store->pasteChordToScene(1));
    store->deleteTrack(7);
    EXPECT_EQ(store->preset->chordPresets[0].patterns.size(), 6u);

    // Chord memory releases and writes the same clamped track, never the raw index.
    store = makeSceneStore(preset);
    store->activeTrackIndex.set(6);
    store->setChordMemory({0, 4, 7});
    EXPECT_EQ(store->preset->tracks[5].outputChord, (std::vector<int>{0, 4, 7}));
    EXPECT_TRUE(store->preset->tracks[6].outputChord.empty());
    EXPECT_EQ(refreshes.back().queuedReleases, std::set<int>{5});
}

TEST_F(Scenes, AnInvalidLaunchResolutionIsSixteenthAndAProgressionFillsTheScenesItHasKeepingTheirPatterns) {
    auto store = makeSceneStore();
    store->setSceneLaunchResolution(3);
    EXPECT_EQ(store->preset->sceneLaunchResolution, 16);
    store->setSceneLaunchResolution(4);
    EXPECT_TRUE(store->isSceneLaunchResolutionBarOrBeat());
    store->activeSceneIndex.set(2);
    store->applyChordProgressionPreset({{50}, {51}, {52, 55}, {53}, {54}, {55}, {56}, {57}, {99}});
    EXPECT_EQ(store->preset->chordPresets[7].chord, (std::vector<int>{57}));
    EXPECT_EQ(store->preset->chordPresets.size(), 8u);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{52, 55}));
    EXPECT_EQ(store->preset->chordPresets[1].patterns[0], 2) << "patterns unchanged";
    store->applyChordProgressionPreset({{40}});
    EXPECT_EQ(store->preset->chordPresets[0].chord, (std::vector<int>{40})) << "a short list fills what it has";
}

}  // namespace pulvan::test
