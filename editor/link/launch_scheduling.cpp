#include "editor/link/published_values.h"
#include "editor/link/store_link.h"

#include <algorithm>
#include <cmath>

namespace pulvan::link {

namespace {

constexpr double kBackwardTolerance = 1e-9;

int gridFor(int resolution) { return 16 / model::normalizedLaunchResolution(resolution); }

double progressTowards(std::optional<double> position, int target, int grid) {
    if (!position) return 0.0;
    const int g = std::max(grid, 1);
    return displayedProgress((*position - (target - g)) / g);
}

// The sixteenth in progress, saturated far inside int (as the engine saturates its step numbers)
// so that the next launch line still fits: a host may report any finite beat.
int currentSixteenth(double position) {
    constexpr double kLimit = 1 << 30;
    return static_cast<int>(std::clamp(std::floor(position), -kLimit, kLimit));
}

// Due at the target; a launch the engine holds also when the host jumped back
// from before its target, since the engine has then switched by itself.
bool launchIsDue(std::optional<int> target, bool scheduledInEngine, bool hosted, std::optional<double> position,
                 std::optional<double> previous) {
    if (!target) return true;
    const bool reached = position && *position >= *target;
    if (scheduledInEngine && hosted && position && previous && *position + kBackwardTolerance < *previous) {
        return reached || *previous + kBackwardTolerance < *target;
    }
    return reached;
}

int trackIndexOf(const model::Preset& preset, const foundation::Uuid& id) {
    const auto it = std::find_if(preset.tracks.begin(), preset.tracks.end(), [&](const model::Track& t) { return t.id == id; });
    return it == preset.tracks.end() ? -1 : static_cast<int>(it - preset.tracks.begin());
}

int clampedPatternIndex(const model::Track& track, int index) {
    return std::clamp(index, 0, std::max(static_cast<int>(track.patterns.size()) - 1, 0));
}

}  // namespace

std::optional<double> StoreLink::currentSixteenthPosition() const {
    double beat = 0.0;
    if (store_.isHostedUI.get()) {
        if (!store_.hooks.hostedAppPlayBeatPosition) return std::nullopt;
        beat = store_.hooks.hostedAppPlayBeatPosition();
    } else {
        if (!store_.appPlayRunning.get() || !standaloneEngine) return std::nullopt;
        beat = standaloneEngine->beatPosition();
    }
    const double position = beat * 4.0;
    if (!std::isfinite(position)) return std::nullopt;
    return position;
}

int StoreLink::nextLaunchSixteenth(int current, int grid) {
    const int next = current + 1;
    if (grid < 1) return next;
    const int r = ((next % grid) + grid) % grid;
    return r == 0 ? next : next + grid - r;
}

int StoreLink::sceneLaunchGridSixteenths() const { return gridFor(store_.preset->sceneLaunchResolution); }
int StoreLink::patternLaunchGridSixteenths() const { return gridFor(store_.preset->patternLaunchResolution); }

std::optional<StoreLink::LaunchTarget> StoreLink::nextLaunchTarget(int grid) const {
    const auto position = currentSixteenthPosition();
    if (!position) return std::nullopt;
    const int current = currentSixteenth(*position);
    const auto again = currentSixteenthPosition();
    return LaunchTarget{nextLaunchSixteenth(current, grid), again ? again : std::optional<double>(current)};
}

bool StoreLink::scheduleSceneSelection(int sceneIndex) {
    const auto launch = nextLaunchTarget(sceneLaunchGridSixteenths());
    if (!launch) return false;
    store_.pendingSceneSelectionIndex = sceneIndex;
    store_.pendingSceneSelectionTargetSixteenthStep = launch->sixteenth;
    store_.pendingSceneSelectionScheduledInEngine = scheduleEngineSceneLaunch(sceneIndex, launch->sixteenth);
    updateSceneSelectionProgress(launch->progressFrom);
    return true;
}

bool StoreLink::engineTakesSceneLaunches() const {
    return store_.isHostedUI.get() ? static_cast<bool>(store_.hooks.hostedAppPlayScheduleSceneLaunch)
                                   : store_.appPlayRunning.get() && standaloneEngine;
}

bool StoreLink::engineTakesPatternLaunches() const {
    return store_.isHostedUI.get() ? static_cast<bool>(store_.hooks.hostedAppPlaySchedulePatternLaunch)
                                   : store_.appPlayRunning.get() && standaloneEngine;
}

void StoreLink::sendSceneLaunch(const store::HostedAppPlayPayload& payload, double targetBeat) {
    if (store_.isHostedUI.get()) {
        store_.hooks.hostedAppPlayScheduleSceneLaunch(payload, targetBeat);
    } else {
        standaloneEngine->scheduleSceneLaunch(payload, targetBeat);
    }
    engineSceneLaunchTargetBeat_ = targetBeat;
}

bool StoreLink::scheduleEngineSceneLaunch(int sceneIndex, int targetSixteenth) {
    auto& s = store_;
    if (sceneIndex < 0 || sceneIndex >= static_cast<int>(s.preset->chordPresets.size()) || !engineTakesSceneLaunches()) return false;
    sendSceneLaunch(buildHostedAppPlayPayload(buildAppPlayTrackConfigs(s, sceneIndex, {})), targetSixteenth * 0.25);
    return true;
}

bool StoreLink::schedulePatternSelection(const foundation::Uuid& trackID, int patternIndex) {
    const bool playing = store_.isHostedUI.get() ? store_.isHostedTransportMoving() : store_.appPlayRunning.get();
    if (!playing) return false;
    const auto launch = nextLaunchTarget(patternLaunchGridSixteenths());
    if (!launch) return false;
    store_.pendingPatternSelectionTrackID = trackID;
    store_.pendingPatternSelectionPatternIndex = patternIndex;
    store_.pendingPatternSelectionTargetSixteenthStep = launch->sixteenth;
    store_.pendingPatternSelectionScheduledInEngine = scheduleEnginePatternLaunch(trackID, patternIndex, launch->sixteenth);
    updatePatternSelectionProgress(launch->progressFrom);
    return true;
}

bool StoreLink::scheduleEnginePatternLaunch(const foundation::Uuid& trackID, int patternIndex, int targetSixteenth) {
    auto& s = store_;
    if (!engineTakesPatternLaunches()) return false;
    const int t = trackIndexOf(s.preset.get(), trackID);
    if (t < 0) return false;
    const int p = clampedPatternIndex(s.preset->tracks[static_cast<std::size_t>(t)], patternIndex);
    const auto payload = buildHostedAppPlayPayload(buildAppPlayTrackConfigs(s, std::nullopt, {{trackID, p}}));
    const double targetBeat = targetSixteenth * 0.25;
    if (s.isHostedUI.get()) {
        s.hooks.hostedAppPlaySchedulePatternLaunch(payload, targetBeat, t);
    } else {
        standaloneEngine->schedulePatternLaunch(payload, targetBeat, t);
    }
    return true;
}

void StoreLink::updateSceneSelectionProgress(std::optional<double> position) {
    const auto& s = store_;
    const bool pending = s.pendingSceneSelectionIndex && s.pendingSceneSelectionTargetSixteenthStep;
    assignIfChanged(store_.playhead.sceneSelectionProgress,
                    pending ? progressTowards(position, *s.pendingSceneSelectionTargetSixteenthStep, sceneLaunchGridSixteenths()) : 0.0);
}

void StoreLink::updatePatternSelectionProgress(std::optional<double> position) {
    const auto& s = store_;
    const bool pending =
        s.pendingPatternSelectionTrackID && s.pendingPatternSelectionPatternIndex && s.pendingPatternSelectionTargetSixteenthStep;
    assignIfChanged(
        store_.playhead.patternSelectionProgress,
        pending ? progressTowards(position, *s.pendingPatternSelectionTargetSixteenthStep, patternLaunchGridSixteenths()) : 0.0);
}

void StoreLink::advancePendingSceneSelection(std::optional<double> position, std::optional<double> previous) {
    auto& s = store_;
    if (!s.pendingSceneSelectionIndex) return;
    updateSceneSelectionProgress(position);
    const bool scheduled = s.pendingSceneSelectionScheduledInEngine;
    if (!launchIsDue(s.pendingSceneSelectionTargetSixteenthStep, scheduled, s.isHostedUI.get(), position, previous)) return;
    const int index = *s.pendingSceneSelectionIndex;
    s.dropPendingSceneSelection();
    // The engine switched by itself: the store only follows.
    if (scheduled) engineSceneLaunchTargetBeat_.reset();
    s.applySceneSelection(index, !scheduled, !scheduled);
}

void StoreLink::advancePendingPatternSelection(std::optional<double> position, std::optional<double> previous) {
    auto& s = store_;
    if (!s.pendingPatternSelectionTrackID || !s.pendingPatternSelectionPatternIndex) return;
    updatePatternSelectionProgress(position);
    const bool scheduled = s.pendingPatternSelectionScheduledInEngine;
    if (!launchIsDue(s.pendingPatternSelectionTargetSixteenthStep, scheduled, s.isHostedUI.get(), position, previous)) return;
    const foundation::Uuid trackID = *s.pendingPatternSelectionTrackID;
    const int index = *s.pendingPatternSelectionPatternIndex;
    s.cancelPendingPatternSelection(false);
    applyPendingPatternSelection(trackID, index, !scheduled);
}

void StoreLink::applyPendingPatternSelection(const foundation::Uuid& trackID, int patternIndex, bool refresh) {
    auto& s = store_;
    const int t = trackIndexOf(s.preset.get(), trackID);
    if (t < 0) return;
    const int p = clampedPatternIndex(s.preset->tracks[static_cast<std::size_t>(t)], patternIndex);
    const auto it = s.selections->find(trackID);
    if (it != s.selections->end() ? it->second.pattern == p : p == 0) return;
    s.selections.modify([&](auto& selections) { selections[trackID].pattern = p; });
    if (refresh) s.refreshAppPlayForTrackPatternChange(t);
}

void StoreLink::rescheduleEnginePendingLaunches() {
    auto& s = store_;
    if (s.pendingSceneSelectionIndex && s.pendingSceneSelectionTargetSixteenthStep && s.pendingSceneSelectionScheduledInEngine) {
        s.pendingSceneSelectionScheduledInEngine =
            scheduleEngineSceneLaunch(*s.pendingSceneSelectionIndex, *s.pendingSceneSelectionTargetSixteenthStep);
    }
    if (s.pendingPatternSelectionTrackID && s.pendingPatternSelectionPatternIndex && s.pendingPatternSelectionTargetSixteenthStep &&
        s.pendingPatternSelectionScheduledInEngine) {
        s.pendingPatternSelectionScheduledInEngine = scheduleEnginePatternLaunch(
            *s.pendingPatternSelectionTrackID, *s.pendingPatternSelectionPatternIndex, *s.pendingPatternSelectionTargetSixteenthStep);
    }
}

// Transport stopped or hosted mode changing: what waits is applied at once.
void StoreLink::applyPendingLaunchesNow() {
    auto& s = store_;
    if (s.pendingSceneSelectionIndex) {
        const int index = *s.pendingSceneSelectionIndex;
        s.dropPendingSceneSelection();
        s.applySceneSelection(index, true, true);
    }
    if (s.pendingPatternSelectionTrackID && s.pendingPatternSelectionPatternIndex) {
        const foundation::Uuid trackID = *s.pendingPatternSelectionTrackID;
        const int index = *s.pendingPatternSelectionPatternIndex;
        s.cancelPendingPatternSelection(true);
        applyPendingPatternSelection(trackID, index, true);
    }
}

}  // namespace pulvan::link
