#include "engine/block_processing.h"

#include "engine/block_renderer.h"
#include "engine/step_timing.h"

#include <algorithm>
#include <cmath>

namespace pulvan::engine {
namespace {

constexpr int kMaxImmediatePerBlock = static_cast<int>(MIDIMessageRing::kCapacity);

void releaseAllTracks(SequencerEngine& engine, double time) {
    for (std::int32_t t = 0; t < kTrackCount; ++t) releaseTrackNotes(engine.voices, t, engine.events, time);
}

void drainImmediateMIDI(SequencerEngine& engine) {
    std::uint8_t status = 0, data1 = 0, data2 = 0;
    // Bounded, so a producer that keeps pushing cannot stretch the block.
    for (int i = 0; i < kMaxImmediatePerBlock && engine.outgoingMIDI.pop(status, data1, data2); ++i) {
        const auto channel = static_cast<std::uint8_t>(status & 0x0F);
        const auto number = static_cast<std::uint8_t>(data1 & 0x7F);
        const auto value = static_cast<std::uint8_t>(data2 & 0x7F);
        const std::uint8_t kind = status & 0xF0;
        if (kind == 0x80 || (kind == 0x90 && value == 0))
            appendReleaseEvent(engine.events, {kBlockStartTime, -1, kEventNoteOff, channel, number, value});
        else if (kind == 0x90)
            appendEvent(engine.events, {kBlockStartTime, -1, kEventNoteOn, channel, number, value}, owedReleases(engine.voices));
        else if (kind == 0xB0)
            appendEvent(engine.events, {kBlockStartTime, -1, kEventControlChange, channel, number, value}, owedReleases(engine.voices));
        // Anything else never reaches the output: only notes and control changes do.
    }
}

// Fixes the resync bar on the first playing block after arming.
double resyncBeatFor(SequencerEngine& engine, double position, double bar) {
    std::int64_t resyncBar = engine.resyncBar.load(std::memory_order_acquire);
    if (resyncBar == kResyncBarUnset) {
        const std::int64_t next = floorToIndex(position / bar) + 1;
        // An editor that re-arms meanwhile keeps its reset: only an unset bar is fixed.
        if (engine.resyncBar.compare_exchange_strong(resyncBar, next, std::memory_order_acq_rel)) resyncBar = next;
    }
    return bar * static_cast<double>(resyncBar);
}

// `inSlot`: where the launch's snapshot lies when it was taken due and left in its queue slot.
bool commitLaunch(SequencerEngine& engine, PendingLaunch& launch, const CommitRule& rule, const EngineSnapshot* inSlot) {
    if (!launch.valid || !rule.due(launch.targetBeat)) return false;
    engine.stagedSource = inSlot ? inSlot : &launch.snapshot;  // applied in this block, before any take replaces it
    invalidateLaunch(launch);
    return true;
}

// Keeps the slot the configuration in play lies in, if any, from its writers; lets go of the rest.
void holdPlaying(SequencerEngine& engine) {
    const EngineSnapshot* playing = engine.timeline.playingSource;
    engine.publishedSnapshots.hold(playing);
    engine.sceneQueue.hold(playing);
    engine.patternQueue.hold(playing);
}

// Takes the newest launch into `pending`; see takeLaunch for the result. A launch due in this
// very block stays in its slot, spared a copy. A committed launch still playing from `pending`
// moves into the timeline first, unless the new launch takes over in this block.
const EngineSnapshot* takeLaunchInto(SequencerEngine& engine, LaunchQueue& queue, std::uint64_t& lastSeen, PendingLaunch& pending,
                                     const CommitRule& rule) {
    return takeLaunch(queue, lastSeen, pending, [&](const PendingLaunch& launch) {
        if (rule.due(launch.targetBeat)) return true;
        PlaybackTimeline& timeline = engine.timeline;
        if (&pending.snapshot == timeline.playingSource) {
            if (engine.stagedSource == timeline.playingSource) engine.stagedSource = &timeline.playing;
            timeline.playing = *timeline.playingSource;
            timeline.playingSource = nullptr;
        }
        return false;
    });
}

void restartGrid(SequencerEngine& engine, double position, double bar) {
    releaseAllTracks(engine, position);
    engine.timeline.gridAnchor = gridAnchorNear(position, bar);
}

}  // namespace

void beginBlock(SequencerEngine& engine) noexcept {
    takeNewestSnapshot(engine);
    if (engine.allNotesOffRequested.exchange(0, std::memory_order_acq_rel)) {
        releaseAllTracks(engine, kBlockStartTime);
        engine.notesOffRequestMask.store(0, std::memory_order_release);
    } else {
        const std::uint32_t mask = engine.notesOffRequestMask.exchange(0, std::memory_order_acq_rel);
        for (std::int32_t t = 0; t < kTrackCount; ++t)
            if (mask & (1u << t)) releaseTrackNotes(engine.voices, t, engine.events, kBlockStartTime);
    }
    if (engine.resetRequested.exchange(0, std::memory_order_acq_rel)) resetEngine(engine);
    drainImmediateMIDI(engine);
    updateActiveNoteMasks(engine.events, engine.activeNotesLow, engine.activeNotesHigh);
}

void renderStopped(SequencerEngine& engine) noexcept {
    if (engine.wasPlaying) {
        releaseAllTracks(engine, kBlockStartTime);
        updateActiveNoteMasks(engine.events, engine.activeNotesLow, engine.activeNotesHigh);
        engine.wasPlaying = 0;
        invalidateLaunch(engine.pendingScene);
        invalidateLaunch(engine.pendingPattern);
        publishInvalidLaunch(engine.sceneQueue);
        publishInvalidLaunch(engine.patternQueue);
        engine.timeline.timedChangeCount = 0;
        engine.appliedSceneGeneration = kNeverApplied;
        engine.appliedPatternGeneration = kNeverApplied;
        engine.appliedResyncPending = 0;
        engine.appliedResyncBeat = -1.0;
    }
    engine.hasPreviousWindow = 0;
    clearPlaybackDisplay(engine);
}

void renderPlaying(SequencerEngine& engine, double tempo, double position, double blockLength, double sampleRate,
                   double barLength) noexcept {
    // The window's end must be a number too: near the largest double, position + length is not.
    const bool usable = std::isfinite(tempo) && tempo > 0.0 && std::isfinite(position) && std::isfinite(blockLength) &&
                        std::isfinite(position + blockLength);
    if (!engine.enabled.load(std::memory_order_acquire) || !usable) {
        renderStopped(engine);
        return;
    }
    const double bar = (barLength > 0.0 && std::isfinite(barLength)) ? barLength : 4.0;
    PlaybackTimeline& timeline = engine.timeline;

    RenderContext context{};
    double maxDelay = 0.0;
    for (int t = 0; t < kTrackCount; ++t) {
        context.midiOutOffsetsMs[t] = engine.midiOutOffsetsMs[t].load(std::memory_order_acquire);
        maxDelay = std::max(maxDelay, outputDelayQN(tempo, context.midiOutOffsetsMs[t]));
    }
    const bool jumpedBack = engine.hasPreviousWindow && position + kJoinTolerance < engine.previousWindowEnd;
    const CommitRule rule = commitRuleFor(position, maxDelay, jumpedBack, engine.previousWindowEnd, bar);

    const EngineSnapshot* sceneInSlot =
        takeLaunchInto(engine, engine.sceneQueue, engine.lastSeenSceneGeneration, engine.pendingScene, rule);
    const EngineSnapshot* patternInSlot =
        takeLaunchInto(engine, engine.patternQueue, engine.lastSeenPatternGeneration, engine.pendingPattern, rule);
    // Read once and kept apart from the beat, which is negative while a host counts in.
    const bool resyncArmed = engine.resyncArmed.load(std::memory_order_acquire) != 0;
    double resyncBeat = resyncArmed ? resyncBeatFor(engine, position, bar) : -1.0;

    bool configChanged = !engine.anchorInitialised;
    if (commitLaunch(engine, engine.pendingScene, rule, sceneInSlot)) configChanged = true;
    if (commitLaunch(engine, engine.pendingPattern, rule, patternInSlot)) configChanged = true;

    bool resyncPending = false;
    bool resyncFired = false;
    bool hardResync = false;
    if (resyncArmed) {
        if (rule.due(resyncBeat)) {
            engine.resyncArmed.store(0, std::memory_order_release);
            engine.resyncBar.store(kResyncBarUnset, std::memory_order_release);
            configChanged = true;
            resyncFired = true;
            hardResync = jumpedBack;
        } else {
            resyncPending = true;
        }
    }

    const EngineSnapshot* playedBefore = &playingSnapshot(timeline);
    retireTimedChanges(timeline, position - kRetireMargin - maxDelay);
    if (&playingSnapshot(timeline) != playedBefore) {
        // A retired launch now plays from the timeline: what was staged as "the one in play" follows it.
        if (engine.stagedSource == playedBefore) engine.stagedSource = &timeline.playing;
        holdPlaying(engine);
    }
    // A fired resync always leaves its bar as the anchor, even when its timed change was not
    // old enough to retire above and the apply below drops it.
    if (resyncFired && !hardResync && resyncBeat > timeline.gridAnchor) timeline.gridAnchor = resyncBeat;
    if (!resyncPending) resyncBeat = -1.0;

    const bool apply = engine.lastSeenSceneGeneration != engine.appliedSceneGeneration ||
                       engine.lastSeenPatternGeneration != engine.appliedPatternGeneration ||
                       engine.lastSeenGeneration != engine.appliedSnapshotGeneration || configChanged ||
                       resyncPending != (engine.appliedResyncPending != 0) ||
                       (resyncPending && std::fabs(resyncBeat - engine.appliedResyncBeat) > 1e-6);
    if (apply) applyStagedSnapshot(engine, resyncPending, resyncBeat);

    double from = position;
    bool realigned = true;
    if (engine.hasPreviousWindow && std::fabs(position - engine.previousWindowEnd) <= kJoinTolerance) {
        from = engine.previousWindowEnd;
        realigned = false;
    } else if (!engine.hasPreviousWindow || !jumpedBack || hardResync) {
        restartGrid(engine, position, bar);
        from = std::max(position, timeline.gridAnchor);
    } else {
        // A host loop: shift the grid and the pending times so held notes and lanes carry on.
        double d = engine.previousWindowEnd - position;
        const double wholeBars = std::floor(d / bar + 0.5) * bar;
        if (wholeBars > 0.0 && std::fabs(d - wholeBars) <= kJoinTolerance) d = wholeBars;
        timeline.gridAnchor -= d;
        shiftPendingTimes(engine.voices, d);
        const double continued = engine.previousWindowEnd - d;
        from = std::max(continued, position);
        realigned = continued < position - kJoinTolerance;
    }

    context.tempo = tempo;
    context.barLength = bar;
    context.realigned = realigned;
    if (sampleRate > 0.0) engine.voices.legatoOverlapQN = std::max(tempo * 16.0 / 15.0 / sampleRate, 1e-9);

    const double to = std::max(position + blockLength, from);
    renderTrack(timeline, engine.voices, context, engine.events, from, to);

    updateActiveNoteMasks(engine.events, engine.activeNotesLow, engine.activeNotesHigh);
    engine.previousWindowEnd = to;
    engine.hasPreviousWindow = 1;
    engine.wasPlaying = 1;
    updateTransportPosition(engine, position, bar);
}

void applyStagedSnapshot(SequencerEngine& engine, bool resyncPending, double resyncBeat) noexcept {
    PlaybackTimeline& timeline = engine.timeline;
    const EngineSnapshot* source = engine.stagedSource;
    if (source != &playingSnapshot(timeline)) {
        // A taken slot (then held) or a committed launch plays where it lies; only the rest is copied.
        const bool inPlace = source != &engine.staged && source != &timeline.playing;
        if (inPlace) {
            timeline.playingSource = source;
        } else {
            timeline.playing = *source;
            timeline.playingSource = nullptr;
        }
        holdPlaying(engine);
        engine.stagedSource = &playingSnapshot(timeline);
    }
    timeline.timedChangeCount = 0;
    if (!engine.anchorInitialised) {
        timeline.gridAnchor = 0.0;
        engine.anchorInitialised = 1;
    }
    for (const PendingLaunch* launch : {&engine.pendingScene, &engine.pendingPattern})
        if (launch->valid) insertTimedChange(timeline, launch->targetBeat, true, false, launch->notesOffMask, &launch->snapshot);
    if (resyncPending) insertTimedChange(timeline, resyncBeat, false, true, ~0u, nullptr);

    engine.appliedSceneGeneration = engine.lastSeenSceneGeneration;
    engine.appliedPatternGeneration = engine.lastSeenPatternGeneration;
    engine.appliedResyncPending = resyncPending;
    engine.appliedResyncBeat = resyncBeat;
    engine.appliedSnapshotGeneration = engine.lastSeenGeneration;
}

void updateTransportPosition(SequencerEngine& engine, double position, double barLength) noexcept {
    const EngineSnapshot& snapshot = snapshotInForce(engine.timeline, position);
    const double anchor = anchorInForce(engine.timeline, position);
    for (std::int32_t t = 0; t < kTrackCount; ++t) {
        const std::int64_t step = t < snapshot.trackCount ? globalStepAt(position, anchor, stepLength(snapshot.tracks[t].resolution)) : -1;
        engine.currentStep[t].store(step, std::memory_order_relaxed);
    }
    engine.beatPosition.store(position, std::memory_order_relaxed);
    double progress = 0.0;
    if (barLength > 0.0) {
        double within = std::fmod(position, barLength);
        if (within < 0.0) within += barLength;
        progress = within / barLength;
    }
    engine.measureProgress.store(progress, std::memory_order_relaxed);
    engine.transportMoving.store(1, std::memory_order_relaxed);
}

void updateActiveNoteMasks(const EngineEventBuffer& events, std::atomic<std::uint64_t> (&low)[kTrackCount],
                           std::atomic<std::uint64_t> (&high)[kTrackCount]) noexcept {
    const std::int32_t count = std::clamp(events.count, 0, kEventCapacity);
    for (std::int32_t i = 0; i < count; ++i) {
        const EngineEvent& e = events.events[i];
        if (e.track < 0 || e.track >= kTrackCount || (e.kind != kEventNoteOn && e.kind != kEventNoteOff)) continue;
        const std::uint8_t note = e.data1 & 0x7F;
        std::atomic<std::uint64_t>& mask = note < 64 ? low[e.track] : high[e.track];
        const std::uint64_t bit = std::uint64_t{1} << (note % 64);
        const std::uint64_t now = mask.load(std::memory_order_relaxed);  // this thread is the only writer
        mask.store(e.kind == kEventNoteOn && e.data2 > 0 ? now | bit : now & ~bit, std::memory_order_release);
    }
}

double blockLengthQN(double tempo, double samples, double sampleRate) noexcept {
    if (sampleRate <= 0.0 || samples <= 0.0) return 0.0;
    return tempo / 60.0 * samples / sampleRate;
}

double barLengthQN(double numerator, double denominator) noexcept {
    if (numerator > 0.0 && denominator > 0.0) {
        const double bar = numerator * 4.0 / denominator;
        if (bar > 0.0 && std::isfinite(bar)) return bar;
    }
    return 4.0;
}

std::int32_t eventSampleOffset(double eventTime, double blockPosition, double tempo, double sampleRate,
                               std::int32_t blockSamples) noexcept {
    if (tempo <= 0.0 || sampleRate <= 0.0 || blockSamples <= 0) return 0;
    const double offset = std::round((eventTime - blockPosition) * 60.0 / tempo * sampleRate);
    if (!(offset > 0.0)) return 0;  // negative, zero or not a number
    return offset >= blockSamples - 1 ? blockSamples - 1 : static_cast<std::int32_t>(offset);
}

}  // namespace pulvan::engine
