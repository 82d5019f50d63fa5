#include "audiounit/render_body.h"

#include "audiounit/midi_emission.h"
#include "audiounit/midi_ring_messages.h"
#include "engine/block_renderer.h"
#include "engine/step_timing.h"

#include <algorithm>
#include <cmath>

namespace pulvan::au {

namespace {

using engine::kJoinTolerance;
using engine::kRetireMargin;
constexpr double kSameTime = 1e-6;
constexpr std::uint32_t kAllBits = 0xFFFFFFFFu;

void clearPlayhead(AppPlayEngine& e) {
    e.transportMoving.store(0);
    e.measureProgress.store(0.0);
    e.beatPosition.store(0.0);
    for (int t = 0; t < kTrackCount; ++t) {
        e.globalStep[t].store(kNoStep, std::memory_order_release);
        e.activeNotesLow[t].store(0, std::memory_order_release);
        e.activeNotesHigh[t].store(0, std::memory_order_release);
    }
}

void releaseAllTracks(AppPlayEngine& e, double time) {
    for (int t = 0; t < kTrackCount; ++t) engine::releaseTrackNotes(e.voices, t, e.events, time);
}

void passHostMIDIIn(AppPlayEngine& e, const RenderEvent* event) {
    for (; event; event = event->next) {
        if (event->eventType != RenderEventType::midi || event->length < 3) continue;
        pushMIDIMessage(e.incomingMIDIRing, event->data[0], event->data[1], event->data[2]);
    }
}

void sendImmediateMessages(AppPlayEngine& e, const MIDIOutputEventBlock& output) {
    std::uint8_t message[kMIDIMessageBytes];
    while (popMIDIMessage(e.outgoingMIDIRing, message)) {
        if (output) output(kEventSampleTimeImmediate, 0, 3, message);
    }
}

void serveNotesOffRequests(AppPlayEngine& e, const MIDIOutputEventBlock& output) {
    if (!output) return;  // requests wait until there is somewhere to send the note-offs
    if (e.allNotesOffRequested.exchange(0)) {
        releaseAllTracks(e, 0.0);
        emitImmediateMIDI(e, output);
        e.trackNotesOffMask.store(0);
        return;
    }
    const std::uint32_t mask = e.trackNotesOffMask.exchange(0);
    if (mask == 0) return;
    for (int t = 0; t < kTrackCount; ++t) {
        if (mask & (1u << t)) engine::releaseTrackNotes(e.voices, t, e.events, 0.0);
    }
    emitImmediateMIDI(e, output);
}

void serveReset(AppPlayEngine& e) {
    e.resyncArmed.store(0);
    e.resyncTargetBar.store(kNoStep);
    clearAppPlayLaunch(e.pendingScene);
    clearAppPlayLaunch(e.pendingPattern);
    clearPlayhead(e);
    engine::clearVoices(e.voices);
    e.renderState.timelineBuilt = 0;
    e.renderState.hasPreviousEnd = 0;
    e.renderState.configSequenceAtRebuild = kNeverSeen;
}

// Every launch published so far is taken and dropped, so a stop cancels them without the render
// thread ever writing into a mailbox.
void renderStopped(AppPlayEngine& e, const MIDIOutputEventBlock& output) {
    clearPlayhead(e);
    clearAppPlayLaunch(e.pendingScene);
    clearAppPlayLaunch(e.pendingPattern);
    e.sceneMailbox.take(e.sceneSeen, [](const AppPlayLaunch&) {});
    e.patternMailbox.take(e.patternSeen, [](const AppPlayLaunch&) {});
    resetRecorder(e.recorder);
    releaseAllTracks(e, 0.0);
    emitImmediateMIDI(e, output);
    e.timeline.timedChangeCount = 0;
    AppPlayRenderState& r = e.renderState;
    r.sceneSequenceAtRebuild = kNeverSeen;
    r.patternSequenceAtRebuild = kNeverSeen;
    r.resyncPendingAtRebuild = 0;
    r.resyncBeatAtRebuild = -1.0;
    r.hasPreviousEnd = 0;
}

// A call that cannot play still ends what sounds, or notes would hang until a usable rate,
// tempo or position returns; without an output they wait for one.
void renderSilent(AppPlayEngine& e, const MIDIOutputEventBlock& output) {
    resetRecorder(e.recorder);
    if (!output) return;
    releaseAllTracks(e, 0.0);
    emitImmediateMIDI(e, output);
}

bool transportStopped(const TransportStateBlock& transport) {
    if (!transport) return false;
    TransportStateFlags flags = 0;
    double samplePosition = 0.0;
    return transport(&flags, &samplePosition, nullptr, nullptr) && !(flags & kHostTransportStateMoving);
}

struct MusicalContext {
    double tempo = 0.0;
    double numerator = 4.0;
    std::int64_t denominator = 4;
    double beat = 0.0;
    double downbeat = 0.0;
};

MusicalContext readMusicalContext(const MusicalContextBlock& block) {
    MusicalContext c;
    block(&c.tempo, &c.numerator, &c.denominator, &c.beat, nullptr, &c.downbeat);
    return c;
}

double barLengthOf(const MusicalContext& c) {
    const double length = c.numerator * 4.0 / static_cast<double>(std::max<std::int64_t>(c.denominator, 1));
    return length > 0.0 && std::isfinite(length) ? length : 4.0;
}

void commitLaunch(AppPlayEngine& e, AppPlayLaunch& launch) {
    e.currentConfig = launch.config;  // clamped when it was built
    clearAppPlayLaunch(launch);
}

void insertLaunch(AppPlayEngine& e, const AppPlayLaunch& launch) {
    if (!launch.valid) return;
    convertAppPlayConfig(launch.config, e.stagingSnapshot);
    engine::insertTimedChange(e.timeline, launch.targetBeat, true, false, launch.notesOffMask, &e.stagingSnapshot);
}

void publishGlobalSteps(AppPlayEngine& e, double beat) {
    const engine::EngineSnapshot& snapshot = engine::snapshotInForce(e.timeline, beat);
    const double anchor = engine::anchorInForce(e.timeline, beat);
    for (int t = 0; t < kTrackCount; ++t) {
        const std::int64_t step =
            t < snapshot.trackCount ? engine::globalStepAt(beat, anchor, engine::stepLength(snapshot.tracks[t].resolution)) : kNoStep;
        e.globalStep[t].store(step, std::memory_order_release);
    }
}

// A sample time as the host gives it; one that no 64-bit count can hold reads as 0.
std::int64_t blockSampleTimeOf(const AudioTimeStamp& timestamp) {
    const double time = timestamp.sampleTime;
    return std::abs(time) < 9.0e18 ? static_cast<std::int64_t>(time) : 0;
}

// Takes the newest configuration; true when held notes must end first (fewer tracks, or a
// track that both have moved to another channel).
bool consumeAppPlayConfigs(AppPlayEngine& e) {
    bool releaseNeeded = false;
    e.configMailbox.take(e.configSeen, [&](const AppPlayConfig& next) {
        const AppPlayConfig& before = e.currentConfig;
        if (next.trackCount < before.trackCount) releaseNeeded = true;
        for (int t = 0; t < std::min(next.trackCount, before.trackCount); ++t) {
            if (next.channels[t] != before.channels[t]) releaseNeeded = true;
        }
        e.currentConfig = next;
    });
    return releaseNeeded;
}

// Rebuilds the playing snapshot and the timed changes from the configuration, the pending
// launches and a pending resync.
void rebuildAppPlayTimeline(AppPlayEngine& e, bool resyncPending, double resyncBeat) {
    convertAppPlayConfig(e.currentConfig, e.timeline.playing);
    e.timeline.timedChangeCount = 0;
    insertLaunch(e, e.pendingScene);
    insertLaunch(e, e.pendingPattern);
    if (resyncPending) engine::insertTimedChange(e.timeline, resyncBeat, false, true, kAllBits, nullptr);
    AppPlayRenderState& r = e.renderState;
    r.timelineBuilt = 1;
    r.configSequenceAtRebuild = e.configSeen;
    r.sceneSequenceAtRebuild = e.sceneSeen;
    r.patternSequenceAtRebuild = e.patternSeen;
    r.resyncPendingAtRebuild = resyncPending;
    r.resyncBeatAtRebuild = resyncBeat;
}

}  // namespace

RenderStatus auRenderBody(AppPlayEngine& e, const AudioTimeStamp& timestamp, std::uint32_t frameCount,
                          const RenderEvent* realtimeEventListHead, const CapturedHostBlocks& host) noexcept {
    const double sampleRate = e.sampleRate.load();
    invalidateRecorderClock(e.recorder);
    passHostMIDIIn(e, realtimeEventListHead);
    sendImmediateMessages(e, host.midiOutput);
    if (consumeAppPlayConfigs(e)) e.allNotesOffRequested.store(1);
    serveNotesOffRequests(e, host.midiOutput);
    if (e.resetRequested.exchange(0)) serveReset(e);
    if (e.recorderResetRequested.exchange(0)) resetRecorder(e.recorder);

    if (!e.enabled.load()) {
        clearPlayhead(e);
        return kRenderNoErr;
    }
    if (!host.musicalContext || !host.midiOutput || !(sampleRate > 0.0) || !std::isfinite(sampleRate)) {
        clearPlayhead(e);
        renderSilent(e, host.midiOutput);
        return kRenderNoErr;
    }
    if (transportStopped(host.transportState)) {
        renderStopped(e, host.midiOutput);
        return kRenderNoErr;
    }

    const MusicalContext context = readMusicalContext(host.musicalContext);
    // A tempo or position that is not a finite number is as unusable as a tempo of zero.
    if (!(context.tempo > 0.0) || !std::isfinite(context.tempo) || !std::isfinite(context.beat)) {
        renderSilent(e, host.midiOutput);
        return kRenderNoErr;
    }
    const double tempo = context.tempo;
    const double beat = context.beat;
    double windowEnd = beat + frameCount * (tempo / 60.0) / sampleRate;
    const double legatoOverlap = std::max(tempo * 16.0 / 15.0 / sampleRate, 1e-9);
    // Finite inputs can still make an endless window (tempo and beat near the largest double).
    if (!std::isfinite(windowEnd) || !std::isfinite(legatoOverlap)) {
        renderSilent(e, host.midiOutput);
        return kRenderNoErr;
    }
    const double barLength = barLengthOf(context);
    double measure = std::fmod(beat, barLength);
    if (measure < 0.0) measure += barLength;
    e.beatPosition.store(beat);
    e.measureProgress.store(measure / barLength);

    advanceAppPlayMIDIRecord(e.recorder, beat, windowEnd, barLength, tempo, e.currentConfig.trackCount);
    const std::int64_t blockSampleTime = blockSampleTimeOf(timestamp);
    const std::int64_t lastFrame = frameCount > 0 ? frameCount - 1 : 0;
    e.transportMoving.store(1);
    setRecorderClock(e.recorder, beat, blockSampleTime, tempo, sampleRate);

    e.sceneMailbox.take(e.sceneSeen, [&](const AppPlayLaunch& launch) { e.pendingScene = launch; });
    e.patternMailbox.take(e.patternSeen, [&](const AppPlayLaunch& launch) { e.pendingPattern = launch; });

    // Read once: a resync armed while this call runs waits for the next one instead of firing
    // here against a target this call never fixed.
    const bool resyncArmed = e.resyncArmed.load() != 0;
    double resyncBeat = -1.0;
    if (resyncArmed) {
        std::int64_t bar = e.resyncTargetBar.load();
        if (bar == kNoStep) {
            bar = engine::floorToIndex(beat / barLength) + 1;
            e.resyncTargetBar.store(bar);
        }
        resyncBeat = barLength * static_cast<double>(bar);
    }

    double maxLead = 0.0;
    std::int32_t offsets[kTrackCount];
    for (int t = 0; t < kTrackCount; ++t) {
        offsets[t] = e.trackMIDIOutOffsetsMs[t].load();  // clamped by its only writer
        maxLead = std::max(maxLead, engine::outputDelayQN(tempo, offsets[t]));
    }

    AppPlayRenderState& r = e.renderState;
    const bool jumpedBack = r.hasPreviousEnd && beat + kJoinTolerance < r.previousEnd;
    const engine::CommitRule rule = engine::commitRuleFor(beat, maxLead, jumpedBack, r.previousEnd, barLength);

    bool changed = false;
    for (AppPlayLaunch* launch : {&e.pendingScene, &e.pendingPattern}) {
        if (launch->valid && rule.due(launch->targetBeat)) {
            commitLaunch(e, *launch);
            changed = true;
        }
    }

    bool resyncPending = false;
    bool realignNow = false;
    if (resyncArmed) {
        if (rule.due(resyncBeat)) {
            e.resyncArmed.store(0);
            e.resyncTargetBar.store(kNoStep);
            changed = true;
            resyncBeat = -1.0;
            realignNow = jumpedBack;
        } else {
            resyncPending = true;
        }
    }

    engine::retireTimedChanges(e.timeline, beat - kRetireMargin - maxLead);

    if (e.sceneSeen != r.sceneSequenceAtRebuild || e.patternSeen != r.patternSequenceAtRebuild ||
        e.configSeen != r.configSequenceAtRebuild || changed || !r.timelineBuilt || resyncPending != (r.resyncPendingAtRebuild != 0) ||
        (resyncPending && std::abs(resyncBeat - r.resyncBeatAtRebuild) > kSameTime)) {
        rebuildAppPlayTimeline(e, resyncPending, resyncBeat);
    }

    double windowStart = beat;
    bool realign = false;
    if (r.hasPreviousEnd && std::abs(beat - r.previousEnd) <= kJoinTolerance) {
        windowStart = r.previousEnd;
    } else if (!jumpedBack || realignNow) {
        releaseAllTracks(e, beat);
        e.timeline.gridAnchor = engine::gridAnchorNear(beat, barLength);
        windowStart = std::max(beat, e.timeline.gridAnchor);
        realign = true;
    } else {
        const double d = r.previousEnd - beat;
        const double bars = std::floor(d / barLength + 0.5) * barLength;
        const double shift = bars > 0.0 && std::abs(d - bars) <= kJoinTolerance ? bars : d;
        e.timeline.gridAnchor -= shift;
        engine::shiftPendingTimes(e.voices, shift);
        const double shiftedEnd = r.previousEnd - shift;
        windowStart = std::max(shiftedEnd, beat);
        realign = shiftedEnd < beat - kJoinTolerance;
    }

    windowEnd = std::max(windowEnd, windowStart);
    engine::RenderContext renderContext{};
    std::copy_n(offsets, kTrackCount, renderContext.midiOutOffsetsMs);
    renderContext.tempo = tempo;
    renderContext.barLength = barLength;
    renderContext.realigned = realign;
    e.voices.legatoOverlapQN = legatoOverlap;

    engine::renderTrack(e.timeline, e.voices, renderContext, e.events, windowStart, windowEnd);
    emitTimedMIDI(e, host.midiOutput, blockSampleTime, blockSampleTime + lastFrame, beat, tempo, sampleRate);
    r.previousEnd = windowEnd;
    r.hasPreviousEnd = 1;
    publishGlobalSteps(e, beat);
    invalidateRecorderClock(e.recorder);
    return kRenderNoErr;
}

}  // namespace pulvan::au
