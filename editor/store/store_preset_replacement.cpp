#include "editor/store/sequencer_store.h"
#include "editor/store/startup_preset.h"

#include <algorithm>
#include <map>

namespace pulvan::store {

void SequencerStore::replacePreset(model::Preset incoming) {
    // A transaction a gesture left open would keep every later edit from the engine.
    txnDepth = 0;
    pendingLabel.clear();
    dropPendingSceneSelection();
    cancelPendingPatternSelection(true);

    incoming.currentTrackPatternIndices =
        model::normalizedPatternIndices(incoming.currentTrackPatternIndices, static_cast<std::int64_t>(incoming.tracks.size()));
    StartingPreset normalised = normalizedStartingPreset(std::move(incoming));
    if (normalised.preset.notesPoolInput == model::NotesPoolInput::midiIn) normalised.preset.notesPool = incomingMIDIPoolNotes();

    preset.set(std::move(normalised.preset));
    activeTrackIndex.set(0);
    normalizeActiveTrackIndex();
    activeSceneIndex.set(normalised.startScene);
    setPatternCopyToActive(false);
    setPatternSwapWithActive(false);
    setSceneCopyToActive(false);
    setSceneSwapWithActive(false);
    std::map<foundation::Uuid, TrackSelection> rebuilt;
    const auto& tracks = preset->tracks;
    if (const auto& indices = preset->currentTrackPatternIndices) {
        for (std::size_t i = 0; i < indices->size() && i < tracks.size(); ++i) {
            const int last = std::max(static_cast<int>(tracks[i].patterns.size()) - 1, 0);
            rebuilt[tracks[i].id] = TrackSelection{std::clamp((*indices)[i], 0, last), 0};
        }
    }
    selections.set(std::move(rebuilt));
    lastStepMode.set(std::nullopt);

    setActiveModal(std::nullopt);
    dialog.set(std::nullopt);
    dropdown.set(std::nullopt);
    resetHistory();

    refreshAppPlayConfiguration(false, {});
    sendLiveCCValues();
}

}  // namespace pulvan::store
