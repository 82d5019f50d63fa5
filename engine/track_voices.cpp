#include "engine/track_voices.h"

#include <algorithm>

namespace pulvan::engine {
namespace {

bool validTrack(std::int32_t track) { return track >= 0 && track < kTrackCount; }

void noteOffs(EngineEventBuffer& events, std::int32_t track, std::uint8_t channel, const std::uint8_t* notes, std::int32_t count,
              double time) {
    const std::int32_t n = std::clamp(count, 0, kMaxChordValues);
    for (std::int32_t i = 0; i < n; ++i)
        appendReleaseEvent(events, {time, track, kEventNoteOff, channel, static_cast<std::uint8_t>(notes[i] & 0x7F), 0});
}

void forgetHeld(TrackVoiceState& v) {
    v.heldCount = 0;
    v.heldTie = 0;
    v.releaseScheduled = 0;
    v.releaseTime = 0.0;
}

void forgetOverlap(TrackVoiceState& v) {
    v.overlapPending = 0;
    v.overlapTime = 0.0;
    v.overlapCount = 0;
}

void releaseHeld(TrackVoiceState& v, std::int32_t track, EngineEventBuffer& events, double time) {
    noteOffs(events, track, v.heldChannel, v.heldNotes, v.heldCount, time);
    forgetHeld(v);
}

void releaseOverlap(TrackVoiceState& v, std::int32_t track, EngineEventBuffer& events, double time) {
    noteOffs(events, track, v.overlapChannel, v.overlapNotes, v.overlapCount, time);
    forgetOverlap(v);
}

void sendScheduledCC(const VoiceBank& voices, TrackVoiceState& v, std::int32_t track, EngineEventBuffer& events, double time) {
    const EngineEvent change{time, track, kEventControlChange, v.ccChannel, v.ccController, v.ccValue};
    if (v.ccArmsReset) {
        // Portamento that never went on is owed no off change.
        if (appendEvent(events, change, owedReleases(voices) + 1)) {
            v.ccResetPending = 1;
            v.ccResetController = v.ccController;
            v.ccResetChannel = v.ccChannel;
            v.ccResetValue = v.ccOffValue;
        }
    } else {
        appendReleaseEvent(events, change);  // switches portamento off: owed like a note-off
        v.ccResetPending = 0;
    }
    v.ccPending = 0;
}

void scheduleCC(TrackVoiceState& v, double time, std::uint8_t controller, std::uint8_t value, std::uint8_t channel, bool armsReset,
                std::uint8_t offValue) {
    v.ccPending = 1;
    v.ccArmsReset = armsReset;
    v.ccTime = time;
    v.ccController = controller;
    v.ccValue = value;
    v.ccChannel = channel;
    v.ccOffValue = offValue;
}

}  // namespace

int owedReleases(const VoiceBank& voices) noexcept {
    int owed = 0;
    for (const TrackVoiceState& v : voices.voices) {
        owed += std::clamp(v.heldCount, 0, kMaxChordValues) + v.ccResetPending;
        if (v.overlapPending) owed += std::clamp(v.overlapCount, 0, kMaxChordValues);
    }
    return owed;
}

void clearVoice(TrackVoiceState& voice) noexcept { voice = TrackVoiceState{}; }

void clearVoices(VoiceBank& voices) noexcept {
    for (TrackVoiceState& v : voices.voices) clearVoice(v);
}

void releaseTrackNotes(VoiceBank& voices, std::int32_t track, EngineEventBuffer& events, double time) noexcept {
    if (!validTrack(track)) return;
    TrackVoiceState& v = voices.voices[track];
    releaseHeld(v, track, events, time);
    if (v.overlapPending) releaseOverlap(v, track, events, time);
    forgetOverlap(v);
    v.ccPending = 0;
    if (v.ccResetPending) {
        appendReleaseEvent(events, {time, track, kEventControlChange, v.ccResetChannel, v.ccResetController, v.ccResetValue});
        v.ccResetPending = 0;
    }
}

namespace {

// Sends what `due` accepts among the held release, the overlap release and the scheduled change,
// earliest first (on equal times in that order), stamped no earlier than `floor`.
template <typename Due>
void flushDue(VoiceBank& voices, std::int32_t track, EngineEventBuffer& events, double floor, Due due) {
    if (!validTrack(track)) return;
    TrackVoiceState& v = voices.voices[track];
    for (int round = 0; round < 3; ++round) {
        const bool held = v.releaseScheduled && due(v.releaseTime);
        const bool overlap = v.overlapPending && due(v.overlapTime);
        const bool change = v.ccPending && due(v.ccTime);
        if (held && (!overlap || v.releaseTime <= v.overlapTime) && (!change || v.releaseTime <= v.ccTime)) {
            releaseHeld(v, track, events, std::max(v.releaseTime, floor));
        } else if (overlap && (!change || v.overlapTime <= v.ccTime)) {
            releaseOverlap(v, track, events, std::max(v.overlapTime, floor));
        } else if (change) {
            sendScheduledCC(voices, v, track, events, std::max(v.ccTime, floor));
        } else {
            return;
        }
    }
}

}  // namespace

void flushDueTrackNotes(VoiceBank& voices, std::int32_t track, EngineEventBuffer& events, double limit, double floor) noexcept {
    flushDue(voices, track, events, floor, [limit](double time) { return time <= limit; });
}

void flushTrackNotesDueBefore(VoiceBank& voices, std::int32_t track, EngineEventBuffer& events, double end) noexcept {
    flushDue(voices, track, events, -1e300, [end](double time) { return time < end; });
}

void playScheduledStep(VoiceBank& voices, const ScheduledStep& step, EngineEventBuffer& events) noexcept {
    if (!validTrack(step.track)) return;
    const std::int32_t track = step.track;
    TrackVoiceState& v = voices.voices[track];
    flushDueTrackNotes(voices, track, events, step.time, -1e300);
    if (step.noteCount < 1) return;

    const std::int32_t n = std::min(step.noteCount, kMaxChordValues);
    const std::uint8_t ch = step.channel;
    const bool legato = v.heldTie == 2 && v.heldCount > 0;
    bool continues[kMaxChordValues] = {};  // new note i is already sounding

    if (legato) {
        if (v.overlapPending) releaseOverlap(v, track, events, step.time);
        forgetOverlap(v);
        bool kept[kMaxChordValues] = {};  // held note j carries over
        const std::int32_t heldCount = std::clamp(v.heldCount, 0, kMaxChordValues);
        if (v.heldChannel == ch) {
            for (std::int32_t i = 0; i < n; ++i) {
                for (std::int32_t j = 0; j < heldCount; ++j) {
                    if (!kept[j] && v.heldNotes[j] == step.notes[i]) {
                        kept[j] = true;
                        continues[i] = true;
                        break;
                    }
                }
            }
        }
        for (std::int32_t j = 0; j < heldCount; ++j)
            if (!kept[j]) v.overlapNotes[v.overlapCount++] = v.heldNotes[j];
        v.overlapChannel = v.heldChannel;
        v.overlapTime = step.time + voices.legatoOverlapQN;
        v.overlapPending = v.overlapCount > 0;
        forgetHeld(v);
    } else {
        releaseHeld(v, track, events, step.time);
        if (v.overlapPending) releaseOverlap(v, track, events, step.time);
        forgetOverlap(v);
    }

    // Only notes that went out are held: a note-on dropped by a full buffer is owed no note-off.
    std::int32_t continuing = 0;
    for (std::int32_t i = 0; i < n; ++i) continuing += continues[i];
    int owed = owedReleases(voices) + continuing;
    std::int32_t held = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const auto note = static_cast<std::uint8_t>(step.notes[i] & 0x7F);
        if (!continues[i]) {
            if (!appendEvent(events, {step.time, track, kEventNoteOn, ch, note, step.velocity}, owed + 1)) continue;
            ++owed;
        }
        v.heldNotes[held++] = step.notes[i];
    }
    v.heldCount = held;
    v.heldChannel = ch;
    v.heldTie = step.tie;
    if (step.tie == 0) {
        v.releaseScheduled = 1;
        v.releaseTime = step.time + step.length;
    }

    if (step.tie == 2 && step.portamentoCC >= 1 && step.portamentoCC <= 127) {
        if (v.ccPending && !v.ccArmsReset) v.ccPending = 0;  // a pending off change is cancelled
        if (v.ccResetPending || v.ccPending) return;         // portamento is on or about to be
        scheduleCC(v, step.time + step.gateLength, step.portamentoCC, step.portamentoOnValue, ch, true, step.portamentoOffValue);
    } else if (legato) {
        if (v.ccPending && v.ccArmsReset) {
            v.ccPending = 0;  // the on change never went out: nothing to switch off
        } else if (v.ccResetPending) {
            scheduleCC(v, step.time + step.gateLength, v.ccResetController, v.ccResetValue, v.ccResetChannel, false, 0);
        }
    }
}

void emitTrackEventsInOrder(const StepScratch& scratch, VoiceBank& voices, EngineEventBuffer& events, double delay) noexcept {
    if (scratch.overflow) events.overflow = 1;
    std::int32_t marker = 0, change = 0, step = 0;
    const std::int32_t markers = std::clamp(scratch.markerCount, 0, kMaxMuteMarkers);
    const std::int32_t changes = std::clamp(scratch.ccCount, 0, kMaxScheduledCCs);
    const std::int32_t steps = std::clamp(scratch.stepCount, 0, kMaxScheduledSteps);
    // Ends when every list is used up, whatever the times: an item only loses to an earlier one
    // that is left, so times beyond any sentinel, or not a number, are still each taken once.
    while (marker < markers || change < changes || step < steps) {
        const bool changeLeft = change < changes, stepLeft = step < steps;
        const double changeTime = changeLeft ? scratch.ccs[change].time : 0.0;
        const double stepTime = stepLeft ? scratch.steps[step].time : 0.0;
        if (marker < markers) {
            const double markerTime = scratch.markers[marker].time;
            if (!(changeLeft && changeTime < markerTime) && !(stepLeft && stepTime < markerTime)) {
                const MuteMarker& m = scratch.markers[marker++];
                const double t = m.time + delay;
                flushDueTrackNotes(voices, m.track, events, t, -1e300);
                releaseTrackNotes(voices, m.track, events, t);
                continue;
            }
        }
        if (changeLeft && !(stepLeft && stepTime < changeTime)) {
            const ScheduledCC& c = scratch.ccs[change++];
            const double t = c.time + delay;
            flushDueTrackNotes(voices, c.track, events, t, -1e300);
            appendEvent(events, {t, c.track, kEventControlChange, c.channel, c.controller, c.value}, owedReleases(voices));
        } else {
            ScheduledStep shifted = scratch.steps[step++];
            shifted.time += delay;
            playScheduledStep(voices, shifted, events);
        }
    }
}

void shiftPendingTimes(VoiceBank& voices, double d) noexcept {
    for (TrackVoiceState& v : voices.voices) {
        v.releaseTime -= d;
        v.overlapTime -= d;
        v.ccTime -= d;
    }
}

}  // namespace pulvan::engine
