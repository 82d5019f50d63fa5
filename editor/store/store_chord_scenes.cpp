#include "editor/model/note_lists.h"
#include "editor/store/sequencer_store.h"

#include <algorithm>

namespace pulvan::store {

namespace {

model::ChordPreset emptyScene() { return model::ChordPreset{}; }

// A scene launch that an engine already holds gives way only to the next configuration
// push, so a selection that drops a waiting launch pushes even when it changes nothing else.
void applySceneAtOnce(SequencerStore& store, int index) {
    const bool launchWaited = store.pendingSceneSelectionIndex.has_value();
    store.dropPendingSceneSelection();
    store.applySceneSelection(index, true, !launchWaited);
    if (launchWaited) store.refreshAppPlayConfiguration(false, {});
}

}  // namespace

void SequencerStore::copyActiveChord() {
    if (preset->notesPoolInput == model::NotesPoolInput::midiIn) {
        model::ChordPreset copy;
        copy.chord = preset->notesPool;
        chordClipboard = std::move(copy);
        return;
    }
    const int scene = activeSceneIndex.get();
    if (isScene(scene)) chordClipboard = preset->chordPresets[static_cast<std::size_t>(scene)];
}

bool SequencerStore::pasteChordToScene(int index) {
    if (!chordClipboard || !isScene(index)) return false;
    const model::ChordPreset pasted = *chordClipboard;
    const auto slot = static_cast<std::size_t>(index);
    if (index != activeSceneIndex.get()) {
        commitIfChanged("Paste chord to scene", [&](model::Preset& copy) { copy.chordPresets[slot] = pasted; });
        return true;
    }
    commitIfChanged(
        "Paste chord",
        [&](model::Preset& copy) {
            copy.chordPresets[slot] = pasted;
            copy.notesPool = pasted.chord;
        },
        [this] { pendingAppPlayGlobalNoteRelease = true; });
    applyScenePatterns(pasted.patterns, true, true);
    return true;
}

bool SequencerStore::swapChordSceneWithActive(int index) {
    const int active = activeSceneIndex.get();
    if (!isScene(active) || !isScene(index)) return false;
    commitIfChanged("Swap chord scenes", [&](model::Preset& copy) {
        std::swap(copy.chordPresets[static_cast<std::size_t>(index)], copy.chordPresets[static_cast<std::size_t>(active)]);
    });
    return true;
}

void SequencerStore::clearActiveChord() {
    const int scene = activeSceneIndex.get();
    if (!isScene(scene)) return;
    commitIfChanged(
        "Clear chord",
        [&](model::Preset& copy) {
            copy.chordPresets[static_cast<std::size_t>(scene)] = emptyScene();
            copy.notesPool.clear();
        },
        [this] { pendingAppPlayGlobalNoteRelease = true; });
    applyScenePatterns(emptyScene().patterns, true, true);
}

void SequencerStore::storeChordToScene(int index) {
    if (!isScene(index)) return;
    commitIfChanged("Store chord to scene", [&](model::Preset& copy) {
        copy.chordPresets[static_cast<std::size_t>(index)].chord = model::sortedUniqueNotes(copy.notesPool);
    });
}

void SequencerStore::selectChord(int index) {
    if (!isScene(index)) return;
    // As for a scene applied at once: a dropped launch must meet a push.
    const bool launchWaited = pendingSceneSelectionIndex.has_value();
    dropPendingSceneSelection();
    activeSceneIndex.set(index);
    const bool changed = commitIfChanged(
        "Select chord", [&](model::Preset& copy) { copy.notesPool = copy.chordPresets[static_cast<std::size_t>(index)].chord; });
    if (launchWaited && !changed) refreshAppPlayConfiguration(false, {});
}

void SequencerStore::selectScene(int index) {
    if (!isScene(index) || index == activeSceneIndex.get()) return;
    const int previous = activeSceneIndex.get();
    const bool moving = isTransportMoving();
    if (!moving) {
        applySceneAtOnce(*this, index);
        return;
    }
    activeSceneIndex.set(index);
    if (!linkHooks.scheduleSceneSelection || !linkHooks.scheduleSceneSelection(index)) applySceneAtOnce(*this, index);
    if (preset->resyncOnNewScene && index != previous) armResync();
}

void SequencerStore::applySceneSelection(int index, bool releaseSilentTracks, bool refresh) {
    if (!isScene(index)) return;
    activeSceneIndex.set(index);
    // Without a refresh the skip must belong to this transaction only, or it would swallow a later push.
    commitIfChanged(
        "Select chord", [&](model::Preset& copy) { copy.notesPool = copy.chordPresets[static_cast<std::size_t>(index)].chord; },
        [&] { skipNextAppPlayConfigurationRefresh = skipNextAppPlayConfigurationRefresh || !refresh; });
    applyScenePatterns(preset->chordPresets[static_cast<std::size_t>(index)].patterns, releaseSilentTracks, refresh);
}

void SequencerStore::applyScenePatterns(const std::vector<std::optional<int>>& patterns, bool releaseSilentTracks, bool refresh) {
    const auto& tracks = preset->tracks;
    bool selectionChanged = false;
    // A scene holds six entries while a preset may hold more tracks: read no further than both.
    for (std::size_t i = 0; i < tracks.size() && i < patterns.size(); ++i) {
        if (patterns[i]) selectionChanged |= selectPatternForTrack(*patterns[i], static_cast<int>(i));
    }
    bool releaseQueued = false;
    if (releaseSilentTracks) {
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            if (patternHasActiveSteps(static_cast<int>(i), selectedPattern(tracks[i]))) continue;
            pendingAppPlayTrackNoteReleaseIndices.insert(static_cast<int>(i));
            releaseQueued = true;
        }
    }
    if (refresh && (selectionChanged || releaseQueued)) refreshAppPlayConfiguration(false, {});
}

void SequencerStore::setScenePatternIndex(std::optional<int> number, int track) {
    const int scene = activeSceneIndex.get();
    if (track < 0 || track >= trackLimit || track >= visibleTrackCount() || !isScene(scene)) return;
    if (number && (*number < 1 || *number > model::kPatternsPerTrack)) return;
    commitIfChanged("Chord pattern", [&](model::Preset& copy) {
        auto& patterns = copy.chordPresets[static_cast<std::size_t>(scene)].patterns;
        if (static_cast<int>(patterns.size()) <= track) patterns.resize(static_cast<std::size_t>(track) + 1);
        patterns[static_cast<std::size_t>(track)] = number;
    });
    if (number && selectPatternForTrack(*number, track)) refreshAppPlayForTrackPatternChange(track);
}

std::optional<int> SequencerStore::scenePatternIndex(int track) const {
    const int scene = activeSceneIndex.get();
    if (!isScene(scene) || track < 0 || track >= trackLimit || track >= visibleTrackCount()) return std::nullopt;
    const auto& patterns = preset->chordPresets[static_cast<std::size_t>(scene)].patterns;
    return track < static_cast<int>(patterns.size()) ? patterns[static_cast<std::size_t>(track)] : std::nullopt;
}

bool SequencerStore::isChordSceneEmpty(int index) const {
    if (!isScene(index)) return true;
    const model::ChordPreset& scene = preset->chordPresets[static_cast<std::size_t>(index)];
    if (!scene.chord.empty()) return false;
    const std::size_t shown = std::min(preset->tracks.size(), scene.patterns.size());
    return std::none_of(scene.patterns.begin(), scene.patterns.begin() + static_cast<std::ptrdiff_t>(shown),
                        [](const std::optional<int>& entry) { return entry.has_value(); });
}

void SequencerStore::setSceneLaunchResolution(int resolution) {
    setLaunchResolution(&model::Preset::sceneLaunchResolution, resolution, "Scene launch");
}

void SequencerStore::setResyncOnNewScene(bool resync) {
    if (resync == preset->resyncOnNewScene) return;
    beginTransaction("Scene resync");
    preset.modify([resync](model::Preset& p) { p.resyncOnNewScene = resync; });
    endTransaction();
}

bool SequencerStore::isSceneLaunchResolutionBarOrBeat() const {
    const int resolution = model::normalizedLaunchResolution(preset->sceneLaunchResolution);
    return resolution == 1 || resolution == 4;
}

void SequencerStore::applyChordProgressionPreset(const std::vector<model::Chord>& chords) {
    const int scene = activeSceneIndex.get();
    const bool sceneMode = preset->notesPoolInput == model::NotesPoolInput::internalChord;
    preset.modify([&](model::Preset& p) {
        const std::size_t count = std::min({chords.size(), p.chordPresets.size(), static_cast<std::size_t>(model::kSceneCount)});
        for (std::size_t i = 0; i < count; ++i) p.chordPresets[i].chord = chords[i];
        if (sceneMode && isScene(scene)) p.notesPool = p.chordPresets[static_cast<std::size_t>(scene)].chord;
    });
}

}  // namespace pulvan::store
