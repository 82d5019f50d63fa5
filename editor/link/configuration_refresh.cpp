#include "editor/link/config_buffer_writer.h"
#include "editor/link/store_link.h"

#include <algorithm>

namespace pulvan::link {

StoreLink::StoreLink(store::SequencerStore& store) : store_(store) {
    store_.appPlayConfigurationRefresh = [this](bool force, const std::set<int>& release) { refreshAppPlayConfiguration(force, release); };
    store_.linkHooks.scheduleSceneSelection = [this](int scene) { return scheduleSceneSelection(scene); };
    store_.linkHooks.schedulePatternSelection = [this](const foundation::Uuid& id, int pattern) {
        return schedulePatternSelection(id, pattern);
    };
    store_.linkHooks.applyPreset = [this](model::Preset preset) { applyPreset(std::move(preset)); };
    store_.linkHooks.cancelStandalonePatternLaunch = [this] {
        if (!store_.isHostedUI.get() && standaloneEngine) standaloneEngine->cancelPatternLaunch();
    };
}

StoreLink::~StoreLink() {
    store_.appPlayConfigurationRefresh = nullptr;
    store_.linkHooks = store::EngineLinkHooks{};
    store_.hostedPlayheadTimer.cancel();
}

void StoreLink::refreshAppPlayConfiguration(bool forceAllNotesOff, const std::set<int>& releaseTracks) {
    auto& s = store_;
    const bool global = forceAllNotesOff || s.pendingAppPlayGlobalNoteRelease;
    s.pendingAppPlayGlobalNoteRelease = false;
    std::set<int> merged = releaseTracks;
    merged.insert(s.pendingAppPlayTrackNoteReleaseIndices.begin(), s.pendingAppPlayTrackNoteReleaseIndices.end());
    s.pendingAppPlayTrackNoteReleaseIndices.clear();
    const int trackCount = static_cast<int>(s.preset->tracks.size());
    std::vector<int> tracks;
    for (int t : merged) {
        if (t >= 0 && t < trackCount) tracks.push_back(t);  // a set iterates in ascending order
    }

    if (!s.isHostedUI.get()) {
        // While standalone play is stopped the consumed releases are dropped.
        if (!s.appPlayRunning.get() || !standaloneEngine) return;
        if (!tracks.empty()) standaloneEngine->requestNotesOffForTracks(tracks);
        if (global) standaloneEngine->requestAllNotesOff();
        pushEngineConfiguration(buildAppPlayTrackConfigs(s, std::nullopt, {}));
        rescheduleEnginePendingLaunches();
        return;
    }

    if (!tracks.empty() && s.hooks.hostedAppPlayForceNotesOffForTracks) s.hooks.hostedAppPlayForceNotesOffForTracks(tracks);
    if (global && s.hooks.hostedAppPlayForceNotesOff) s.hooks.hostedAppPlayForceNotesOff();
    pushEngineConfiguration(buildAppPlayTrackConfigs(s, std::nullopt, {}));
    rescheduleEnginePendingLaunches();
    if (s.hooks.hostedAppPlaySetEnabled) s.hooks.hostedAppPlaySetEnabled(true);
}

void StoreLink::pushEngineConfiguration(const AppPlayConfiguration& configuration) {
    const store::HostedAppPlayPayload payload = buildHostedAppPlayPayload(configuration);
    if (!store_.isHostedUI.get()) {
        if (standaloneEngine) standaloneEngine->configure(payload, midiOutOffsets(configuration));
    } else {
        auto& hooks = store_.hooks;
        if (hooks.hostedAppPlaySetTrackMIDIOutOffsets) hooks.hostedAppPlaySetTrackMIDIOutOffsets(midiOutOffsets(configuration));
        if (hooks.hostedAppPlayConfigure) hooks.hostedAppPlayConfigure(payload);
    }
    neutraliseStaleSceneLaunch(payload);
}

// A scene launch that the store has dropped (undo, redo, a preset applied,
// the launch applied at once) still waits in the engine, which cannot cancel
// it; replacing it with the configuration just pushed makes it switch to what
// already plays, so store and engine keep agreeing. Each push replaces it
// again until the position has passed its beat, or the engine would switch to
// an older replacement and undo the edits pushed since. The push that finds
// the beat passed replaces it once more: a delayed track may not have switched.
void StoreLink::neutraliseStaleSceneLaunch(const store::HostedAppPlayPayload& current) {
    if (!engineSceneLaunchTargetBeat_) return;
    if (store_.pendingSceneSelectionIndex && store_.pendingSceneSelectionScheduledInEngine) return;
    const double targetBeat = *engineSceneLaunchTargetBeat_;
    const bool reachable = engineTakesSceneLaunches();
    const auto position = currentSixteenthPosition();
    if (reachable) sendSceneLaunch(current, targetBeat);
    if (!reachable || (position && *position > targetBeat * 4.0)) engineSceneLaunchTargetBeat_.reset();
}

void StoreLink::enableHostedAppPlay() {
    auto& s = store_;
    if (!s.isHostedUI.get() || !s.hooks.hostedAppPlayConfigure || !s.hooks.hostedAppPlaySetEnabled) return;
    pushEngineConfiguration(buildAppPlayTrackConfigs(s, std::nullopt, {}));
    s.hooks.hostedAppPlaySetEnabled(true);
    s.sendLiveCCValues();
    startHostedPlayheadPolling();
}

}  // namespace pulvan::link
