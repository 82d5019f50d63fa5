#include "tests/editor/store/command_presets.h"
#include "tests/editor/store/store_fixture.h"

using pulvan::store::KezModal;

namespace pulvan::test {

TEST_F(StoreTest, TransactionsNestedOrUnchangedRecordOneEntryUnderTheOuterLabelAndRefreshOnce) {
    auto store = makeStore();
    store->endTransaction();  // stray closes must not leave the depth below zero
    store->endTransaction();
    EXPECT_EQ(store->txnDepth, 0);
    store->beginTransaction("Rename track");
    store->beginTransaction("Track settings");
    store->preset.modify([](model::Preset& p) { p.tracks[0].name = "Lead"; });
    store->endTransaction();
    EXPECT_EQ(store->history().count(), 1) << "an inner close records nothing";
    EXPECT_TRUE(refreshes.empty());
    store->endTransaction();
    ASSERT_EQ(store->history().count(), 2);
    EXPECT_EQ(store->history().label(1), "Rename track");
    EXPECT_EQ(refreshes.size(), 1u);
    EXPECT_TRUE(store->canUndo().get());
    EXPECT_EQ(store->pendingLabel, "Rename track") << "the label stays until the next outermost transaction";

    // An unchanged transaction still records an entry, and its queued releases still travel.
    store->queueNoteRelease(0);
    EXPECT_FALSE(store->pendingAppPlayGlobalNoteRelease);
    store->beginTransaction("Drag");
    store->endTransaction();
    ASSERT_EQ(store->history().count(), 3);
    EXPECT_EQ(store->history().label(2), "Drag");
    ASSERT_EQ(refreshes.size(), 2u);
    EXPECT_EQ(refreshes[1].queuedReleases, std::set<int>{0});
    store->queueNoteRelease(9);
    EXPECT_TRUE(store->pendingAppPlayGlobalNoteRelease) << "no such track: every note";
}

// A chord drag pushes each move at once and marks its close to push nothing more; when the drag
// ends where the history stands it records nothing, and that mark must not outlive it.
TEST_F(StoreTest, AGestureBackWhereTheHistoryStandsRecordsNothingAndLeavesNoSkipBehind) {
    auto store = makeStore(threeTrackPreset());  // NOTES step 1 holds the chord [1, 2]
    store->beginTransaction("Edit notes");
    store->moveStepChordNote(1, 2, 5, true);
    store->moveStepChordNote(1, 5, 2, true);
    store->endGestureTransaction();
    EXPECT_EQ(store->txnDepth, 0);
    EXPECT_EQ(store->history().count(), 1);
    EXPECT_EQ(refreshes.size(), 2u) << "the two moves, nothing at the close";
    edit(*store, "Octave", 2);
    EXPECT_EQ(refreshes.size(), 3u) << "the next edit reaches the engine";

    store->beginTransaction("Edit notes");
    store->moveStepChordNote(1, 2, 5, true);
    store->endGestureTransaction();
    EXPECT_EQ(store->history().labels().back(), "Edit notes");
    EXPECT_EQ(refreshes.size(), 4u) << "a changed gesture: its move was its push";
}

TEST_F(StoreTest, UndoRedoAndAnEditAfterUndoWithSubscribersReadingTheNewPreset) {
    auto store = makeStore();
    std::vector<int> seen;
    auto connection = store->preset.subscribe([&](const model::Preset&) { seen.push_back(store->preset->tracks[0].octave); });
    for (int i = 1; i <= 3; ++i) edit(*store, "Octave", i);
    store->undo();
    store->undo();
    EXPECT_EQ(store->preset->tracks[0].octave, 1);
    EXPECT_TRUE(store->canRedo().get());
    store->redo();
    EXPECT_EQ(store->preset->tracks[0].octave, 2);
    store->undo();
    edit(*store, "Octave", 7);
    EXPECT_FALSE(store->canRedo().get());
    EXPECT_EQ(store->history().count(), 3);
    store->undo();
    store->undo();
    store->undo();  // at the oldest entry: nothing
    EXPECT_EQ(store->preset->tracks[0].octave, 0);
    EXPECT_FALSE(store->canUndo().get());
    const auto refreshCount = refreshes.size();
    store->undo();
    EXPECT_EQ(refreshes.size(), refreshCount) << "an undo that does nothing refreshes nothing";
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 2, 1, 2, 1, 7, 1, 0})) << "notified after the change, never before";
}

TEST_F(StoreTest, UndoDropsPendingLaunchesAndKeepsTheTrackIndexInRange) {
    auto store = makeStore(presetWithTracks(2));
    store->beginTransaction("Delete track");
    store->preset.modify([](model::Preset& p) { p.tracks.pop_back(); });
    store->endTransaction();
    store->undo();
    store->activeTrackIndex.set(1);
    store->redo();
    EXPECT_EQ(store->activeTrackIndex.get(), 0);

    int cancels = 0;
    store->hooks.hostedAppPlayCancelPatternLaunch = [&] { ++cancels; };
    store->pendingSceneSelectionIndex = 3;
    store->pendingSceneSelectionScheduledInEngine = true;
    store->playhead.sceneSelectionProgress.set(0.5);
    store->pendingPatternSelectionPatternIndex = 2;
    store->pendingPatternSelectionScheduledInEngine = true;
    store->playhead.patternSelectionProgress.set(0.7);
    store->undo();
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(store->pendingSceneSelectionIndex.has_value());
    EXPECT_FALSE(store->pendingSceneSelectionScheduledInEngine);
    EXPECT_FALSE(store->pendingPatternSelectionPatternIndex.has_value());
    EXPECT_EQ(store->playhead.sceneSelectionProgress.get(), 0.0);
    EXPECT_EQ(store->playhead.patternSelectionProgress.get(), 0.0);
}

TEST_F(StoreTest, SwingIsClampedPushedAtOnceAndNotUndoable) {
    auto store = makeStore();
    store->setSwingPercent(80);
    EXPECT_EQ(store->preset->swingPercent, 75);
    EXPECT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(store->history().count(), 1);
    store->setSwingPercent(75);
    EXPECT_EQ(refreshes.size(), 1u) << "an unchanged swing pushes nothing";
    store->setSwingPercent(10);
    EXPECT_EQ(store->preset->swingPercent, 50);
}

TEST_F(StoreTest, The303AuditionNoteEndsOnceBeforeTheSessionClosesEvenWhenAViewRepeatsTheChangeCallback) {
    auto store = makeStore();
    store->setActiveModal(KezModal::patternGenerator303);
    store->activeModalDidChange(std::nullopt);  // a view that reports the change itself as well
    store->patternGenerator303AuditioningNote = 62;
    store->patternGenerator303AuditioningChannel = 3;
    std::size_t entriesWhenNoteOff = 0;
    store->preset.modify([](model::Preset& p) { p.tracks[0].octave = 2; });
    store->patternGenerator303UndoSessionHasChanges = true;
    auto connection = store->canUndo().subscribe([&](const bool&) { entriesWhenNoteOff = sentMIDI.size(); });
    store->setActiveModal(KezModal::performance);
    store->activeModalDidChange(KezModal::patternGenerator303);
    ASSERT_EQ(sentMIDI.size(), 1u);
    EXPECT_EQ(sentMIDI[0], (std::array<int, 3>{0x82, 62, 0}));
    EXPECT_EQ(entriesWhenNoteOff, 1u) << "the note off went out before the undo entry was recorded";
    EXPECT_FALSE(store->patternGenerator303AuditioningNote.has_value());
    EXPECT_EQ(store->history().count(), 2);
}

}  // namespace pulvan::test
