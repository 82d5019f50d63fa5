#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

namespace pulvan::test {

using model::NotesPoolInput;

namespace {

using Patterns = std::vector<std::optional<int>>;

class Scenes : public StoreTest {
protected:
    std::vector<int> scheduledScenes;
    int resyncArms = 0;

    std::unique_ptr<store::SequencerStore> makeSceneStore(model::Preset preset = threeTrackPreset()) {
        auto store = makeStore(std::move(preset));
        store->linkHooks.scheduleSceneSelection = [this](int index) {
            scheduledScenes.push_back(index);
            return true;
        };
        store->hooks.hostedAppPlaySetResyncArmed = [this](bool armed) { resyncArms += armed ? 1 : 0; };
        return store;
    }

    static int selectedPattern(const store::SequencerStore& store, int track) {
        const auto it = store.selections->find(store.preset->tracks[static_cast<std::size_t>(track)].id);
        return it == store.selections->end() ? 0 : it->second.pattern;
    }

    // The hosted transport reported as moving.
    static void play(store::SequencerStore& store) {
        store.hooks.hostedAppPlayState = [](int) { return std::pair<int, bool>{0, true}; };
        store.isHostedUI.set(true);
    }
};

}  // namespace

TEST_F(Scenes, PoolEditsKeepThePoolAscendingAndFollowTheActiveScene) {
    struct Case {
        std::function<void(store::SequencerStore&)> edit;
        std::vector<int> pool;
    };
    const std::vector<Case> cases{
        {[](auto& s) { s.editNotesPool(64); }, {60, 67}},
        {[](auto& s) { s.editNotesPool(62); }, {60, 62, 64, 67}},
        {[](auto& s) { s.editNotesPool(128); }, {60, 64, 67}},
        {[](auto& s) { s.moveNotesPoolNote(60, 70); }, {64, 67, 70}},
        {[](auto& s) { s.shiftChord(61); }, {121, 125, 127}},
        {[](auto& s) { s.shiftChord(-64); }, {0, 3}},
    };
    for (const Case& c : cases) {
        auto store = makeSceneStore();
        c.edit(*store);
        EXPECT_EQ(store->preset->notesPool, c.pool);
        EXPECT_EQ(store->preset->chordPresets[0].chord, c.pool) << "scene mode writes the active scene too";
    }
}

TEST_F(Scenes, RefusedPoolEditsRecordNothing) {
    auto store = makeSceneStore();
    EXPECT_FALSE(store->moveNotesPoolNote(60, 64));
    EXPECT_FALSE(store->moveNotesPoolNote(61, 62));
    EXPECT_FALSE(store->moveNotesPoolNote(60, 60));
    EXPECT_FALSE(store->moveNotesPoolNote(60, -1));
    store->shiftChord(0);
    store->preset.modify([](model::Preset& p) { p.notesPool = {126, 127}; });
    store->shiftChord(1);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{127}));
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Shift chord right"}));
}

TEST_F(Scenes, InMIDIInModeThePoolFollowsTheHeldOrLatchedNotes) {
    auto store = makeSceneStore();
    store->incomingMIDINoteCountByNote = {{64, 1}, {48, 2}, {50, 0}};
    store->setNotesPoolInput(NotesPoolInput::midiIn);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{48, 64}));
    store->editNotesPool(72);
    EXPECT_EQ(store->preset->chordPresets[0].chord, (std::vector<int>{60, 64, 67})) << "no scene changes in MIDI-in mode";

    store->setNotesPoolMIDILatch(true);
    EXPECT_EQ(store->incomingMIDILatchedNotes, (std::set<int>{48, 64}));
    store->incomingMIDINoteCountByNote.clear();
    store->syncNotesPoolFromIncomingMIDI();
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{48, 64})) << "latched notes stay after release";
    const auto entries = store->history().count();
    store->setNotesPoolMIDILatchEnabled(false);
    EXPECT_TRUE(store->preset->notesPool.empty());
    EXPECT_EQ(store->history().count(), entries) << "latch and pool sync are not undoable";
}

TEST_F(Scenes, SwitchingBackToScenesTakesTheSceneChordAndItsPatterns) {
    auto store = makeSceneStore();
    store->preset.modify([](model::Preset& p) { p.notesPoolInput = NotesPoolInput::midiIn; });
    store->activeSceneIndex.set(1);
    store->setNotesPoolMIDILatch(true);
    store->setSceneCopyToActive(true);
    store->setNotesPoolInput(NotesPoolInput::internalChord);
    EXPECT_FALSE(store->sceneCopyToActive().get());
    EXPECT_FALSE(store->notesPoolMIDILatchEnabled.get());
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{62, 65}));
    EXPECT_EQ(store->history().label(1), "Input mode");
    EXPECT_EQ(store->activePatternIndex(), 1) << "scene 1 plays pattern 2 on the first track";
    EXPECT_EQ(refreshes.back().queuedReleases, (std::set<int>{0, 1, 2})) << "every selected pattern is silent";
}

TEST_F(Scenes, PastingOntoTheActiveSceneAppliesItOntoAnotherOnlyStoresIt) {
    auto store = makeSceneStore();
    store->activeSceneIndex.set(1);
    store->copyActiveChord();
    store->activeSceneIndex.set(0);
    ASSERT_TRUE(store->pasteChordToScene(4));
    EXPECT_EQ(store->preset->chordPresets[4], store->preset->chordPresets[1]);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{60, 64, 67}));
    EXPECT_TRUE(store->pasteChordToScene(0));
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{62, 65}));
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Paste chord to scene", "Paste chord"}));
    EXPECT_EQ(store->activePatternIndex(), 1);
    EXPECT_TRUE(store->pendingAppPlayGlobalNoteRelease) << "every note is released with the refresh";
    EXPECT_FALSE(refreshes.empty());
    EXPECT_FALSE(store->pasteChordToScene(8));
}

TEST_F(Scenes, CopyingInMIDIInModeTakesThePoolWithoutPatterns) {
    auto store = makeSceneStore();
    store->preset.modify([](model::Preset& p) {
        p.notesPoolInput = NotesPoolInput::midiIn;
        p.notesPool = {40, 43};
    });
    store->copyActiveChord();
    ASSERT_TRUE(store->chordClipboard.has_value());
    EXPECT_EQ(store->chordClipboard->chord, (std::vector<int>{40, 43}));
    EXPECT_EQ(store->chordClipboard->patterns, Patterns(6));
}

TEST_F(Scenes, SwappingClearingAndStoringScenes) {
    auto store = makeSceneStore();
    const model::ChordPreset first = store->preset->chordPresets[0];
    const model::ChordPreset second = store->preset->chordPresets[1];
    EXPECT_TRUE(store->swapChordScenes(0));
    EXPECT_EQ(store->history().count(), 1) << "the active scene with itself";
    EXPECT_FALSE(store->swapChordSceneWithActive(8));
    EXPECT_TRUE(store->swapChordSceneWithActive(1));
    EXPECT_EQ(store->preset->chordPresets[0], second);
    EXPECT_EQ(store->preset->chordPresets[1], first);

    store->preset.modify([](model::Preset& p) { p.notesPool = {67, 60, 67}; });
    store->storeChordToScene(6);
    EXPECT_EQ(store->preset->chordPresets[6].chord, (std::vector<int>{60, 67}));
    store->storeChordToScene(-1);

    store->clearActiveSceneChord();
    EXPECT_EQ(store->preset->chordPresets[0], model::ChordPreset{});
    EXPECT_TRUE(store->preset->notesPool.empty());
    EXPECT_TRUE(store->isChordSceneEmpty(0));
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Swap chord scenes", "Store chord to scene", "Clear chord"}));
}

TEST_F(Scenes, ASceneWithAPatternForAShownTrackIsNotEmpty) {
    auto store = makeSceneStore();
    store->preset.modify([](model::Preset& p) {
        p.chordPresets[5].patterns[2] = 4;
        p.chordPresets[6].patterns[4] = 4;  // no fifth track
    });
    EXPECT_FALSE(store->isChordSceneEmpty(5));
    EXPECT_TRUE(store->isChordSceneEmpty(6));
    EXPECT_TRUE(store->isChordSceneEmpty(12));
}

TEST_F(Scenes, SelectingWhileStoppedAppliesAtOnceWithoutAResync) {
    auto store = makeSceneStore();
    store->preset.modify([](model::Preset& p) { p.resyncOnNewScene = true; });
    store->pendingSceneSelectionIndex = 5;
    store->selectScene(1);
    EXPECT_EQ(store->activeSceneIndex.get(), 1);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{62, 65}));
    EXPECT_FALSE(store->pendingSceneSelectionIndex.has_value());
    EXPECT_TRUE(scheduledScenes.empty());
    EXPECT_EQ(resyncArms, 0);
    EXPECT_EQ(store->history().label(1), "Select chord");
    store->selectScene(1);
    EXPECT_EQ(store->history().count(), 2) << "the active scene again: nothing";
}

TEST_F(Scenes, SelectingWhilePlayingShowsTheSceneAndLaunchesItQuantised) {
    auto store = makeSceneStore();
    store->preset.modify([](model::Preset& p) { p.resyncOnNewScene = true; });
    play(*store);
    store->selectScene(1);
    EXPECT_EQ(store->activeSceneIndex.get(), 1);
    EXPECT_EQ(scheduledScenes, std::vector<int>{1});
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{60, 64, 67})) << "the chord waits for the launch";
    EXPECT_EQ(resyncArms, 1);
    EXPECT_TRUE(store->resyncModeActive.get());

    store->linkHooks.scheduleSceneSelection = nullptr;  // no position known: at once
    store->selectScene(2);
    EXPECT_EQ(store->preset->notesPool, store->preset->chordPresets[2].chord);
    EXPECT_EQ(resyncArms, 1) << "a resync already armed is not armed again";
}

TEST_F(Scenes, SelectingAChordDropsAWaitingLaunch) {
    auto store = makeSceneStore();
    store->pendingSceneSelectionIndex = 3;
    store->playhead.sceneSelectionProgress.set(0.5);
    store->selectChord(1);
    EXPECT_FALSE(store->pendingSceneSelectionIndex.has_value());
    EXPECT_EQ(store->playhead.sceneSelectionProgress.get(), 0.0);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{62, 65}));
    EXPECT_EQ(store->activePatternIndex(), 0) << "selecting a chord leaves the patterns";
    store->selectChord(8);
    EXPECT_EQ(store->activeSceneIndex.get(), 1);
}

TEST_F(Scenes, ScenePatternEntriesAreRefusedOutsideTheShownTracksAndNumbers) {
    auto store = makeSceneStore();
    store->setScenePatternIndex(9, 0);
    store->setScenePatternIndex(0, 0);
    store->setScenePatternIndex(1, 3);
    store->setScenePatternIndex(1, 6);
    EXPECT_EQ(store->history().count(), 1);
    store->setScenePatternIndex(5, 2);
    EXPECT_EQ(store->scenePatternIndex(2), 5);
    EXPECT_EQ(store->activePatternIndex(), 0);
    store->activeTrackIndex.set(2);
    EXPECT_EQ(store->activePatternIndex(), 4);
    EXPECT_EQ(refreshes.back().releaseTracks, std::set<int>{2}) << "the new pattern is silent";
    store->setScenePatternIndex(std::nullopt, 2);
    EXPECT_EQ(store->scenePatternIndex(2), std::nullopt);
    EXPECT_EQ(store->activePatternIndex(), 4) << "clearing the entry leaves the selection";
    EXPECT_EQ(store->scenePatternIndex(3), std::nullopt);
}

TEST_F(Scenes, EightTracksNeverReadPastTheSceneOrTrackLists) {
    model::Preset preset = threeTrackPreset();
    for (int i = 3; i < 8; ++i) preset.tracks.push_back(namedTrack("Extra " + std::to_string(i), i));
    preset.chordPresets[1].patterns = {2, 2, 2, 2, 2, 2};
    auto store = makeSceneStore(preset);
    store->selectScene(1);
    for (int t = 0; t < 6; ++t) EXPECT_EQ(selectedPattern(*store, t), 1) << t;
    EXPECT_EQ(selectedPattern(*store, 6), 0) << "a seventh track has no scene entry";
    store->setScenePatternIndex(3, 6);
    EXPECT_EQ(store->scenePatternIndex(6), std::nullopt);
    store->clearActiveChord();
    store->chordClipboard = model::ChordPreset{{1}, {1}};  // a short list
    EXPECT_TRUE(store->pasteChordToScene(1));
    store->addTrack();
    EXPECT_EQ(store->preset->tracks.size(), 8u);
    store->deleteTrack(7);
    EXPECT_EQ(store->preset->chordPresets[0].patterns.size(), 6u);
}

TEST_F(Scenes, ChordMemoryReleasesAndWritesTheSameClampedTrack) {
    auto store = makeSceneStore();
    store->activeTrackIndex.set(7);
    store->setChordMemory({0, 4, 7});
    EXPECT_EQ(store->preset->tracks[2].outputChord, (std::vector<int>{0, 4, 7}));
    EXPECT_EQ(refreshes.back().queuedReleases, std::set<int>{2});
    EXPECT_EQ(store->history().label(1), "Chord memory");
}

TEST_F(Scenes, LaunchResolutionAndResyncRecordOnlyChanges) {
    auto store = makeSceneStore();
    store->setSceneLaunchResolution(3);
    EXPECT_EQ(store->preset->sceneLaunchResolution, 16);
    EXPECT_FALSE(store->isSceneLaunchResolutionBarOrBeat());
    store->setSceneLaunchResolution(16);
    store->setResyncOnNewScene(false);
    store->setResyncOnNewScene(true);
    store->setSceneLaunchResolution(4);
    EXPECT_TRUE(store->isSceneLaunchResolutionBarOrBeat());
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Scene launch", "Scene resync", "Scene launch"}));
}

TEST_F(Scenes, AProgressionFillsTheScenesInsideTheCallersTransaction) {
    auto store = makeSceneStore();
    store->activeSceneIndex.set(2);
    store->beginTransaction("Load chord progression");
    store->applyChordProgressionPreset({{50}, {51}, {52, 55}, {53}, {54}, {55}, {56}, {57}, {99}});
    store->endTransaction();
    EXPECT_EQ(store->preset->chordPresets[7].chord, (std::vector<int>{57}));
    EXPECT_EQ(store->preset->chordPresets.size(), 8u);
    EXPECT_EQ(store->preset->notesPool, (std::vector<int>{52, 55}));
    EXPECT_EQ(store->preset->chordPresets[1].patterns[0], 2) << "patterns unchanged";
    store->applyChordProgressionPreset({{40}});
    EXPECT_EQ(store->preset->chordPresets[0].chord, (std::vector<int>{40})) << "a short list fills what it has";
    EXPECT_EQ(store->history().labels(), (std::vector<std::string>{"initial", "Load chord progression"}));
}

}  // namespace pulvan::test
