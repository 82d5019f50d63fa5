#include "editor/store/sequencer_store.h"
#include "editor/store/startup_preset.h"

#include <algorithm>
#include <utility>

namespace pulvan::store {

void SequencerStore::armResync() {
    if (!isHostedUI.get() || !hooks.hostedAppPlaySetResyncArmed || resyncModeActive.get()) return;
    double progress = hooks.hostedAppPlayMeasureProgress ? hooks.hostedAppPlayMeasureProgress() : 0.0;
    // A reading that is not a number shows as the start of the measure.
    if (!(progress >= 0.0)) progress = 0.0;
    playhead.resyncMeasureProgress.set(std::min(progress, 1.0));
    resyncModeActive.set(true);
    hooks.hostedAppPlaySetResyncArmed(true);
}

void SequencerStore::toggleMIDILearn() {
    if (isMIDILearnActive.get()) {
        cancelMIDILearn();
        return;
    }
    isMIDILearnActive.set(true);
    midiLearnSelection.set(std::nullopt);
    setPinPerformanceDialog(true);
    setActiveModal(KezModal::performance);
}

void SequencerStore::initializePreset() {
    const model::Preset edited = preset.get();
    SelectionState shown{selections.get(), activeSceneIndex.get(), activeTrackIndex.get()};
    model::Preset fresh = makeDefaultPreset(defaultCCA.get(), defaultCCB.get());
    // Replaces the preset as a whole: selections, overlays and the history start again.
    if (linkHooks.applyPreset) linkHooks.applyPreset(std::move(fresh));
    else replacePreset(std::move(fresh));
    currentPresetName.set("");
    currentPresetFolderName.reset();
    // The new history begins with the edited preset, so one undo brings the work back.
    if (preset.get() != edited) resetHistoryKeepingUndo(edited, std::move(shown), "Initialize");
    markSavedEntry();
}

bool SequencerStore::isHostedMIDIRecording() const {
    const auto mode = hostedMIDIRecordMode.get();
    return mode == HostedMIDIRecordMode::recording || mode == HostedMIDIRecordMode::armStop;
}

std::optional<double> SequencerStore::hostedMIDIRecordProgress() const {
    const double progress = std::clamp(hostedMIDIRecordMeasureProgress.get(), 0.0, 1.0);
    switch (hostedMIDIRecordMode.get()) {
        case HostedMIDIRecordMode::armStart: return progress;
        case HostedMIDIRecordMode::armStop: return 1.0 - progress;
        case HostedMIDIRecordMode::idle:
        case HostedMIDIRecordMode::recording: return std::nullopt;
    }
    return std::nullopt;
}

void SequencerStore::writeDefaultCCsToAllTracks() {
    const int ccA = defaultCCA.get();
    const int ccB = defaultCCB.get();
    preset.modify([&](model::Preset& p) {
        for (model::Track& track : p.tracks) {
            track.ccA = ccA;
            track.ccB = ccB;
        }
    });
}

std::set<int> SequencerStore::validTrackIndices(const std::set<int>& indices) const {
    std::set<int> valid;
    const int count = static_cast<int>(preset->tracks.size());
    for (int i : indices) {
        if (i >= 0 && i < count) valid.insert(i);
    }
    return valid;
}

}  // namespace pulvan::store
