#include "editor/store/lane_reading.h"
#include "editor/store/sequencer_store.h"

#include <algorithm>

namespace pulvan::store {

using model::LaneKind;

void SequencerStore::launchPattern(int slot) {
    const model::Track* track = activeTrack();
    if (!track) return;
    const int target = std::clamp(slot, 0, std::max(static_cast<int>(track->patterns.size()) - 1, 0));
    const bool pendingForTrack = pendingPatternSelectionTrackID == track->id;
    if (target == activePatternIndex()) {
        // Tapping the selected slot again withdraws a launch that was waiting.
        if (pendingForTrack) cancelPendingPatternSelection(true);
        return;
    }
    if (pendingForTrack && pendingPatternSelectionPatternIndex == target) return;
    const foundation::Uuid id = track->id;
    if (linkHooks.schedulePatternSelection && linkHooks.schedulePatternSelection(id, target)) return;
    // Whatever waits, on this track or another, would otherwise still come due after this selection.
    if (pendingPatternSelectionTrackID) cancelPendingPatternSelection(true);
    setSelectedPattern(id, target);
    refreshAppPlayForTrackPatternChange(clampedActiveTrackIndex());
}

void SequencerStore::refreshAppPlayForTrackPatternChange(int track) {
    std::set<int> release;
    const auto& tracks = preset->tracks;
    if (track >= 0 && track < static_cast<int>(tracks.size()) &&
        !patternHasActiveSteps(track, selectedPattern(tracks[static_cast<std::size_t>(track)]))) {
        release.insert(track);
    }
    refreshAppPlayConfiguration(false, release);
}

bool SequencerStore::isPatternLaunchResolutionBarOrBeat() const {
    const int resolution = model::normalizedLaunchResolution(preset->patternLaunchResolution);
    return resolution == 1 || resolution == 4;
}

std::optional<double> SequencerStore::patternLaunchProgress(int slot) const {
    const model::Track* track = activeTrack();
    if (!track || !isPatternLaunchResolutionBarOrBeat() || pendingPatternSelectionPatternIndex != slot ||
        pendingPatternSelectionTrackID != track->id) {
        return std::nullopt;
    }
    return playhead.patternSelectionProgress.get();
}

bool SequencerStore::isPatternEmpty(int track, int pattern) const {
    const model::Pattern* p = patternAt(track, pattern);
    if (!p) return true;
    if (anyStepBeforeLast(p->lane(LaneKind::gate), [](int v) { return v != 0; })) return false;
    const auto controllerSet = [](int v) { return v >= 1; };
    return !anyStepBeforeLast(p->lane(LaneKind::ccA), controllerSet) && !anyStepBeforeLast(p->lane(LaneKind::ccB), controllerSet);
}

bool SequencerStore::selectPatternForTrack(int number, int track) {
    const auto& tracks = preset->tracks;
    if (track < 0 || track >= static_cast<int>(tracks.size()) || number < 1 || number > model::kPatternsPerTrack) return false;
    const model::Track& t = tracks[static_cast<std::size_t>(track)];
    if (selectedPattern(t) == number - 1) return false;
    setSelectedPattern(t.id, number - 1);
    return true;
}

void SequencerStore::togglePatternCopyArm() {
    if (patternCopyToActive_.get()) {
        setPatternCopyToActive(false);
        return;
    }
    setPatternSwapWithActive(false);
    copyActivePatternToClipboard();
    setPatternCopyToActive(true);
}

void SequencerStore::togglePatternSwapArm() {
    if (patternSwapWithActive_.get()) {
        setPatternSwapWithActive(false);
        return;
    }
    setPatternCopyToActive(false);
    setPatternSwapWithActive(true);
}

void SequencerStore::copyActivePatternToClipboard() {
    if (const model::Pattern* pattern = activePattern()) patternClipboard = *pattern;
}

bool SequencerStore::pastePattern(int track, int slot, bool select) {
    const auto& tracks = preset->tracks;
    if (!patternClipboard || track < 0 || track >= static_cast<int>(tracks.size())) return false;
    if (slot < 0 || slot >= static_cast<int>(tracks[static_cast<std::size_t>(track)].patterns.size())) return false;
    bool reselected = false;
    if (select) {
        activeTrackIndex.set(track);
        reselected = selectPatternForTrack(slot + 1, track);
        if (reselected) queueNoteRelease(track);
    }
    const bool intoSelected = slot == selectedPattern(preset->tracks[static_cast<std::size_t>(track)]);
    const bool committed = commitIfChanged(
        "Paste pattern",
        [&](model::Preset& copy) {
            copy.tracks[static_cast<std::size_t>(track)].patterns[static_cast<std::size_t>(slot)] = *patternClipboard;
        },
        [&] {
            if (intoSelected) queueNoteRelease(track);
        });
    // An equal pattern commits nothing, yet the engine plays from the selection and takes the release.
    if (reselected && !committed) refreshAppPlayConfiguration(false, {});
    return true;
}

bool SequencerStore::swapPatterns(int slot) {
    const model::Track* track = activeTrack();
    if (!track) return false;
    const int count = static_cast<int>(track->patterns.size());
    const int current = activePatternIndex();
    if (slot < 0 || slot >= count || current < 0 || current >= count) return false;
    if (slot == current) return true;
    const int index = clampedActiveTrackIndex();
    const bool reselected = selectPatternForTrack(slot + 1, index);
    if (reselected) queueNoteRelease(index);
    const bool committed = commitIfChanged("Swap patterns", [&](model::Preset& copy) {
        auto& patterns = copy.tracks[static_cast<std::size_t>(index)].patterns;
        std::swap(patterns[static_cast<std::size_t>(current)], patterns[static_cast<std::size_t>(slot)]);
    });
    // Two equal patterns commit nothing; the engine still hears of the selection.
    if (reselected && !committed) refreshAppPlayConfiguration(false, {});
    return true;
}

void SequencerStore::presentClearPatternDialog() {
    publishConfirmation("Clear pattern", "Clear the pattern ?", "Clear", std::nullopt, [](SequencerStore& store) { store.clearPattern(); });
}

void SequencerStore::clearPattern() {
    if (!activePattern()) return;
    commitIfChanged(
        "Clear pattern", [this](model::Preset& copy) { activePatternIn(copy) = model::defaultPattern(); },
        [this] { queueNoteRelease(clampedActiveTrackIndex()); });
}

void SequencerStore::setPatternLaunchResolution(int resolution) {
    setLaunchResolution(&model::Preset::patternLaunchResolution, resolution, "Pattern launch");
}

void SequencerStore::setLaunchResolution(int model::Preset::*field, int resolution, const std::string& label) {
    const int value = model::normalizedLaunchResolution(resolution);
    if (value == preset.get().*field) return;
    beginTransaction(label);
    preset.modify([&](model::Preset& p) { p.*field = value; });
    endTransaction();
}

void SequencerStore::togglePatternGenerator303Modal() {
    if (activeModal_.get() != KezModal::patternGenerator303) {
        loadPatternGenerator303FromTrack();
        setActiveModal(KezModal::patternGenerator303);
        return;
    }
    stopPatternGenerator303Audition();
    setActiveModal(std::nullopt);
}

}  // namespace pulvan::store
