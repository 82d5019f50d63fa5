#include "engine/sequencer_engine.h"

#include "engine/config_buffer.h"

#include <algorithm>

namespace pulvan::engine {
namespace {

// Whether replacing `current` by `next` must end every held note first: tracks disappear, or a
// remaining track moves to another channel (its notes would otherwise hang on the old one).
bool needsNotesOff(const EngineSnapshot& current, const EngineSnapshot& next) {
    if (next.trackCount < current.trackCount) return true;
    const std::int32_t shared = std::clamp(std::min(next.trackCount, current.trackCount), 0, kTrackCount);
    for (std::int32_t t = 0; t < shared; ++t)
        if (next.tracks[t].channel != current.tracks[t].channel) return true;
    return false;
}

}  // namespace

SequencerEngine::SequencerEngine() {
    timeline.playing = demoSnapshot();
    timeline.gridAnchor = 0.0;
    timeline.timedChangeCount = 0;
    staged = demoSnapshot();
    clearVoices(voices);
    voices.legatoOverlapQN = kInitialLegatoOverlapQN;
    events.clear();
    for (EngineSnapshot& slot : publishedSnapshots.slots) slot = defaultSnapshot();
    for (LaunchQueue* queue : {&sceneQueue, &patternQueue}) {
        for (PendingLaunch& slot : queue->slots) {
            slot.snapshot = defaultSnapshot();
            invalidateLaunch(slot);
        }
    }
    for (PendingLaunch* launch : {&pendingScene, &pendingPattern}) {
        launch->snapshot = defaultSnapshot();
        invalidateLaunch(*launch);
    }
}

void clearPlaybackDisplay(SequencerEngine& engine) noexcept {
    for (int t = 0; t < kTrackCount; ++t) {
        engine.currentStep[t].store(-1, std::memory_order_relaxed);
        engine.activeNotesLow[t].store(0, std::memory_order_relaxed);
        engine.activeNotesHigh[t].store(0, std::memory_order_relaxed);
    }
    engine.transportMoving.store(0, std::memory_order_relaxed);
    engine.beatPosition.store(0.0, std::memory_order_relaxed);
    engine.measureProgress.store(0.0, std::memory_order_relaxed);
}

void resetEngine(SequencerEngine& engine) noexcept {
    engine.resyncArmed.store(0, std::memory_order_release);
    engine.resyncBar.store(kResyncBarUnset, std::memory_order_release);
    invalidateLaunch(engine.pendingScene);
    invalidateLaunch(engine.pendingPattern);
    clearVoices(engine.voices);
    engine.timeline.timedChangeCount = 0;
    engine.anchorInitialised = 0;
    engine.hasPreviousWindow = 0;
    engine.appliedSceneGeneration = kNeverApplied;
    engine.appliedPatternGeneration = kNeverApplied;
    engine.appliedSnapshotGeneration = kNeverApplied;
    engine.appliedResyncPending = 0;
    engine.appliedResyncBeat = -1.0;
    clearPlaybackDisplay(engine);
}

void setEnabled(SequencerEngine& engine, bool enabled) noexcept {
    const std::uint8_t flag = enabled ? 1 : 0;
    if (engine.enabled.load(std::memory_order_acquire) == flag) return;
    engine.enabled.store(flag, std::memory_order_release);
    publishInvalidLaunch(engine.sceneQueue);
    publishInvalidLaunch(engine.patternQueue);
    engine.allNotesOffRequested.store(1, std::memory_order_release);
    engine.notesOffRequestMask.store(0, std::memory_order_release);
    engine.resetRequested.store(1, std::memory_order_release);
}

void publishSnapshot(SequencerEngine& engine, const EngineSnapshot& snapshot) noexcept { engine.publishedSnapshots.publishValue(snapshot); }

const EngineSnapshot& stagedSnapshot(const SequencerEngine& engine) noexcept { return *engine.stagedSource; }

void takeNewestSnapshot(SequencerEngine& engine) noexcept {
    // A slot taken by an earlier block and not applied since (the transport was stopped) loses
    // its protection once this take announces another slot, even when the take then fails.
    if (engine.stagedSource != &engine.staged && engine.stagedSource != &playingSnapshot(engine.timeline)) {
        engine.staged = *engine.stagedSource;
        engine.stagedSource = &engine.staged;
    }
    bool releaseAll = false;
    engine.publishedSnapshots.take(engine.lastSeenGeneration, [&](const EngineSnapshot& next) {
        releaseAll = needsNotesOff(*engine.stagedSource, next);
        engine.stagedSource = &next;
    });
    if (releaseAll) engine.allNotesOffRequested.store(1, std::memory_order_release);
}

void applyConfigBuffer(SequencerEngine& engine, const std::int32_t* words, std::int32_t count) {
    if (!isAcceptableConfigBuffer(words, count)) return;
    {
        std::lock_guard lock(engine.stateMutex);
        engine.rawConfig.assign(words, words + kConfigBufferWordCount);
    }
    // Decoded straight into the free slot: no snapshot-sized allocation or copy on the way.
    engine.publishedSnapshots.publish([words](EngineSnapshot& slot) { decodeConfigBuffer(words, slot); });
}

std::vector<std::int32_t> copyRawConfig(SequencerEngine& engine) {
    std::lock_guard lock(engine.stateMutex);
    return engine.rawConfig;
}

}  // namespace pulvan::engine
