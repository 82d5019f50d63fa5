#include "editor/link/published_values.h"
#include "editor/link/store_link.h"

#include <algorithm>

namespace pulvan::link {

double StoreLink::uptime() const { return store_.services().mainQueue.clock().systemUptime(); }

void StoreLink::startHostedPlayheadPolling() {
    auto& s = store_;
    if (!s.isHostedUI.get() || s.hostedPlayheadTimer.isActive() || !s.hooks.hostedAppPlayState) return;
    // The timer is the store's: it is cancelled with the store and with this link.
    s.hostedPlayheadTimer =
        s.services().mainQueue.scheduleTimer(0, kPlayheadPollIntervalNanoseconds, 0, [this] { pollHostedEngineState(); });
}

void StoreLink::stopHostedPlayheadPolling() {
    auto& s = store_;
    s.hostedPlayheadTimer.cancel();
    s.hostedTransportConsecutiveStoppedPollCount = 0;
    s.hostedTransportLastMovingUptime = 0;
    s.hostedLastSixteenthPosition.reset();
    s.playhead.globalStepByTrackID.set({});
    clearActiveNotes();
}

void StoreLink::setHostedAppPlayState(std::function<std::pair<int, bool>(int track)> state) {
    store_.hooks.hostedAppPlayState = std::move(state);
    if (!store_.isHostedUI.get()) return;
    if (store_.hooks.hostedAppPlayState) {
        startHostedPlayheadPolling();
    } else {
        stopHostedPlayheadPolling();
    }
}

void StoreLink::clearActiveNotes() {
    auto& playhead = store_.playhead;
    if (!playhead.activeTrackNotes->empty()) playhead.activeTrackNotes.set({});
    if (!playhead.noteActiveTrackIDs->empty()) playhead.noteActiveTrackIDs.set({});
}

void StoreLink::clearHostedPlayheadDisplay() {
    if (!store_.playhead.globalStepByTrackID->empty()) store_.playhead.globalStepByTrackID.set({});
    clearActiveNotes();
}

std::set<int> StoreLink::activeNoteSet(std::uint64_t low, std::uint64_t high) {
    std::set<int> notes;
    for (int b = 0; b < 64; ++b) {
        if (low & (std::uint64_t{1} << b)) notes.insert(b);
        if (high & (std::uint64_t{1} << b)) notes.insert(64 + b);
    }
    return notes;
}

// The third stopped poll in a row: launches apply at once, the display clears.
void StoreLink::finishStoppedTransport() {
    auto& s = store_;
    s.hostedTransportConsecutiveStoppedPollCount = 0;
    s.hostedTransportLastMovingUptime = 0;
    s.hostedLastSixteenthPosition.reset();
    applyPendingLaunchesNow();
    clearHostedPlayheadDisplay();
}

void StoreLink::pollHostedEngineState() {
    auto& s = store_;
    auto& hooks = s.hooks;
    if (!s.isHostedUI.get()) {
        s.hostedTransportConsecutiveStoppedPollCount = 0;
        s.hostedTransportLastMovingUptime = 0;
        s.hostedLastSixteenthPosition.reset();
        clearHostedPlayheadDisplay();
        return;
    }
    if (hooks.hostedPollHostState) hooks.hostedPollHostState();
    if (hooks.hostedDrainIncomingMIDI) hooks.hostedDrainIncomingMIDI();
    if (s.resyncModeActive.get() && hooks.hostedAppPlayIsResyncArmed && !hooks.hostedAppPlayIsResyncArmed()) {
        s.resyncModeActive.set(false);
        assignIfChanged(s.playhead.resyncMeasureProgress, 0.0);
    }
    if (s.resyncModeActive.get() && hooks.hostedAppPlayMeasureProgress) {
        assignIfChanged(s.playhead.resyncMeasureProgress, displayedProgress(hooks.hostedAppPlayMeasureProgress()));
    }
    pollHostedMIDIRecordState();

    const auto position = currentSixteenthPosition();
    advancePendingSceneSelection(position, s.hostedLastSixteenthPosition);
    advancePendingPatternSelection(position, s.hostedLastSixteenthPosition);
    s.hostedLastSixteenthPosition = position;

    if (!hooks.hostedAppPlayState) {
        clearHostedPlayheadDisplay();
        return;
    }
    std::map<foundation::Uuid, int> steps;
    bool moving = false;
    const auto& tracks = s.preset->tracks;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const auto [step, isMoving] = hooks.hostedAppPlayState(static_cast<int>(i));
        if (isMoving && step >= 0) {
            steps[tracks[i].id] = step;
            moving = true;
        }
    }
    if (!moving) {
        if (++s.hostedTransportConsecutiveStoppedPollCount > store::SequencerStore::hostedTransportStopDebouncePollCount) {
            finishStoppedTransport();
        }
        return;
    }
    s.hostedTransportConsecutiveStoppedPollCount = 0;
    s.hostedTransportLastMovingUptime = uptime();
    assignIfChanged(s.playhead.globalStepByTrackID, steps);
    if (!hooks.hostedAppPlayActiveNotesMask) {
        clearActiveNotes();
        return;
    }
    publishActiveNotes(hooks.hostedAppPlayActiveNotesMask);
}

void StoreLink::publishActiveNotes(const std::function<NoteMasks(int track)>& masks) {
    auto& s = store_;
    const auto [low, high] = masks(s.clampedActiveTrackIndex());
    assignIfChanged(s.playhead.activeTrackNotes, activeNoteSet(low, high));
    std::set<foundation::Uuid> sounding;
    const auto& tracks = s.preset->tracks;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const auto [trackLow, trackHigh] = masks(static_cast<int>(i));
        if (trackLow != 0 || trackHigh != 0) sounding.insert(tracks[i].id);
    }
    assignIfChanged(s.playhead.noteActiveTrackIDs, sounding);
}

}  // namespace pulvan::link
