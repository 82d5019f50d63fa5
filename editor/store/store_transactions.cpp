#include "editor/model/preset_json.h"
#include "editor/store/sequencer_store.h"

#include <algorithm>
#include <utility>

namespace pulvan::store {

namespace {

// The preset as JSON with sorted keys: the 303 session compares two of these.
std::string encodeSortedJSON(const model::Preset& preset) {
    // nlohmann::json keeps object keys sorted, so a parse of the fixed-order text sorts them.
    return nlohmann::json::parse(model::encodePreset(preset)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void setIfChanged(foundation::Observable<bool>& flag, bool value) {
    if (flag.get() != value) flag.set(value);
}

}  // namespace

void SequencerStore::beginTransaction(const std::string& label) {
    if (txnDepth == 0) pendingLabel = label;
    ++txnDepth;
}

void SequencerStore::endTransaction() {
    if (txnDepth < 1) return;
    if (--txnDepth != 0) return;
    history_.pushUndoSnapshot(preset.get(), pendingLabel);
    setIfChanged(canUndo_, history_.canUndo());
    setIfChanged(canRedo_, history_.canRedo());
    if (skipNextAppPlayConfigurationRefresh) {
        skipNextAppPlayConfigurationRefresh = false;
    } else {
        refreshAppPlayConfiguration(false, {});
    }
}

void SequencerStore::endGestureTransaction() {
    if (txnDepth == 1 && history_.standsAt(preset.get())) {
        // Back where the history stands: nothing to undo, and whatever the gesture pushed on its way carried this preset.
        txnDepth = 0;
        skipNextAppPlayConfigurationRefresh = false;
        return;
    }
    endTransaction();
}

void SequencerStore::undo() {
    const int crossed = history_.index();
    if (auto snapshot = history_.stepBack()) applyHistoryEntry(*snapshot, crossed);
}

void SequencerStore::redo() {
    if (auto snapshot = history_.stepForward()) applyHistoryEntry(*snapshot, history_.index());
}

void SequencerStore::applyHistoryEntry(const model::Preset& snapshot, int crossedEntry) {
    dropPendingSceneSelection();
    cancelPendingPatternSelection(true);
    preset.set(snapshot);
    // Only a whole new document replaced the selections along with the preset; the refresh below plays the ones traded back.
    if (auto traded = history_.tradeSelectionsAcross(crossedEntry, {selections.get(), activeSceneIndex.get(), activeTrackIndex.get()})) {
        selections.set(std::move(traded->selections));
        activeSceneIndex.set(traded->activeSceneIndex);
        activeTrackIndex.set(traded->activeTrackIndex);
    }
    normalizeActiveTrackIndex();
    setIfChanged(canUndo_, history_.canUndo());
    setIfChanged(canRedo_, history_.canRedo());
    refreshAppPlayConfiguration(false, {});
}

void SequencerStore::resetHistory() {
    history_ = UndoHistory(preset.get());
    setIfChanged(canUndo_, false);
    setIfChanged(canRedo_, false);
}

void SequencerStore::resetHistoryKeepingUndo(const model::Preset& replaced, SelectionState replacedSelections, const std::string& label) {
    history_ = UndoHistory(replaced);
    history_.pushUndoSnapshot(preset.get(), label, std::move(replacedSelections));
    setIfChanged(canUndo_, true);
    setIfChanged(canRedo_, false);
}

bool SequencerStore::hasUnsavedChanges() const {
    return history_.canRedo() || !history_.storedSnapshot(history_.index()).sharesEverythingWith(savedEntry_);
}

void SequencerStore::presentLoadOverUnsavedChangesDialog(const std::string& presetName, std::function<void()> load) {
    publishConfirmation("Load preset", "Discard unsaved changes and load \"" + presetName + "\" ?", "Load", std::nullopt,
                        [load = std::move(load)](SequencerStore&) { load(); });
}

void SequencerStore::presentQuitOverUnsavedChangesDialog(std::function<void()> quit) {
    publishConfirmation("Quit", "Discard unsaved changes and quit ?", "Quit", std::nullopt,
                        [quit = std::move(quit)](SequencerStore&) { quit(); });
}

void SequencerStore::setSwingPercent(int percent) {
    const int value = std::clamp(percent, model::kMinSwingPercent, model::kMaxSwingPercent);
    if (value == preset->swingPercent) return;
    preset.modify([&](model::Preset& p) { p.swingPercent = value; });
    refreshAppPlayConfiguration(false, {});
}

void SequencerStore::refreshAppPlayConfiguration(bool forceAllNotesOff, const std::set<int>& releaseTracks) {
    if (appPlayConfigurationRefresh) appPlayConfigurationRefresh(forceAllNotesOff, releaseTracks);
}

void SequencerStore::queueNoteRelease(std::optional<int> track) {
    if (track && *track >= 0 && *track < static_cast<int>(preset->tracks.size())) {
        pendingAppPlayTrackNoteReleaseIndices.insert(*track);
    } else {
        pendingAppPlayGlobalNoteRelease = true;
    }
}

void SequencerStore::dropPendingSceneSelection() {
    pendingSceneSelectionIndex.reset();
    pendingSceneSelectionTargetSixteenthStep.reset();
    pendingSceneSelectionScheduledInEngine = false;
    playhead.sceneSelectionProgress.set(0.0);
}

void SequencerStore::cancelPendingPatternSelection(bool cancelScheduledLaunch) {
    if (cancelScheduledLaunch && pendingPatternSelectionScheduledInEngine) {
        if (hooks.hostedAppPlayCancelPatternLaunch) hooks.hostedAppPlayCancelPatternLaunch();
        if (linkHooks.cancelStandalonePatternLaunch) linkHooks.cancelStandalonePatternLaunch();
    }
    pendingPatternSelectionTrackID.reset();
    pendingPatternSelectionPatternIndex.reset();
    pendingPatternSelectionTargetSixteenthStep.reset();
    pendingPatternSelectionScheduledInEngine = false;
    playhead.patternSelectionProgress.set(0.0);
}

void SequencerStore::openPatternGenerator303UndoSession() {
    patternGenerator303UndoSessionBaselinePresetData = encodeSortedJSON(preset.get());
    patternGenerator303UndoSessionHasChanges = false;
}

void SequencerStore::closePatternGenerator303UndoSession() {
    if (patternGenerator303UndoSessionHasChanges) {
        const std::string current = encodeSortedJSON(preset.get());
        if (patternGenerator303UndoSessionBaselinePresetData != current) {
            beginTransaction("303 pattern generator");
            endTransaction();
        }
    }
    patternGenerator303UndoSessionBaselinePresetData.reset();
    patternGenerator303UndoSessionHasChanges = false;
}

}  // namespace pulvan::store
