#include "engine/block_renderer.h"

#include "engine/step_timing.h"

#include <algorithm>

namespace pulvan::engine {
namespace {

void renderSegment(const PlaybackTimeline& timeline, VoiceBank& voices, const RenderContext& context, EngineEventBuffer& events,
                   StepScratch& scratch, std::int32_t track, bool realigned, double delay, double a, double b) {
    scratch.clear();
    scheduleTrackSteps(snapshotInForce(timeline, a), track, realigned, scratch, anchorInForce(timeline, a), a, b, context.barLength);
    emitTrackEventsInOrder(scratch, voices, events, delay);
}

// A change releases the track when its mask says so, or when the snapshot it installs no
// longer has the track: nothing would ever end that track's held or tied notes otherwise.
bool changeReleasesTrack(const TimedChange& change, std::int32_t track) {
    if (change.notesOffMask & (1u << track)) return true;
    return change.appliesSnapshot && track >= change.snapshot.trackCount;
}

// One past the highest track that any configuration in force over the window has.
std::int32_t tracksInPlay(const PlaybackTimeline& timeline, int changes) {
    std::int32_t count = playingSnapshot(timeline).trackCount;
    for (int i = 0; i < changes; ++i)
        if (timeline.timedChanges[i].appliesSnapshot) count = std::max(count, timeline.timedChanges[i].snapshot.trackCount);
    return std::clamp(count, 0, kTrackCount);
}

}  // namespace

void renderTrack(const PlaybackTimeline& timeline, VoiceBank& voices, const RenderContext& context, EngineEventBuffer& events, double from,
                 double to) noexcept {
    if (to <= from) return;
    StepScratch scratch;
    const int changes = std::clamp(timeline.timedChangeCount, 0, kMaxTimedChanges);
    const std::int32_t inPlay = tracksInPlay(timeline, changes);
    for (std::int32_t t = 0; t < kTrackCount; ++t) {
        // A track no configuration has plays nothing; with nothing owed it has nothing to end either.
        if (t >= inPlay && isVoiceIdle(voices.voices[t])) continue;
        const double delay = outputDelayQN(context.tempo, context.midiOutOffsetsMs[t]);
        const double start = from - delay;
        const double end = to - delay;
        flushDueTrackNotes(voices, t, events, from, from);
        double cur = start;
        bool realigned = context.realigned != 0;
        for (int i = 0; i < changes; ++i) {
            const TimedChange& change = timeline.timedChanges[i];
            if (change.time < start) continue;
            if (change.time >= end) break;
            if (change.time > cur) renderSegment(timeline, voices, context, events, scratch, t, realigned, delay, cur, change.time);
            if (changeReleasesTrack(change, t)) {
                // Releases that fell due before the change go out at their own times first.
                flushDueTrackNotes(voices, t, events, change.time + delay, -1e300);
                releaseTrackNotes(voices, t, events, change.time + delay);
            }
            realigned = change.resyncsGrid || (realigned && change.time <= cur);
            cur = std::max(cur, change.time);
        }
        if (end > cur) renderSegment(timeline, voices, context, events, scratch, t, realigned, delay, cur, end);
        // The window is half-open like the steps it plays: a release due exactly at its end
        // belongs to the next block's first sample, not this block's last one.
        flushTrackNotesDueBefore(voices, t, events, to);
    }
}

}  // namespace pulvan::engine
