#pragma once
#include "engine/engine_events.h"
#include "engine/engine_snapshot.h"
#include "engine/note_generation.h"

#include <cstdint>

namespace pulvan::engine {

// What one track has sounding, when it ends, and which portamento change is scheduled or owed.
// A cleared (all-zero) voice holds nothing.
struct TrackVoiceState {
    std::int32_t heldCount;
    std::uint8_t heldNotes[kMaxChordValues];
    std::uint8_t heldChannel;
    std::int32_t heldTie;
    std::uint8_t releaseScheduled;
    double releaseTime;
    std::uint8_t overlapPending;
    double overlapTime;
    std::int32_t overlapCount;
    std::uint8_t overlapNotes[kMaxChordValues];
    std::uint8_t overlapChannel;
    std::uint8_t ccPending;
    std::uint8_t ccArmsReset;
    double ccTime;
    std::uint8_t ccController;
    std::uint8_t ccValue;
    std::uint8_t ccOffValue;
    std::uint8_t ccChannel;
    std::uint8_t ccResetPending;
    std::uint8_t ccResetController;
    std::uint8_t ccResetChannel;
    std::uint8_t ccResetValue;
};

struct VoiceBank {
    TrackVoiceState voices[kTrackCount];
    double legatoOverlapQN;  // how long left-over legato notes keep sounding (64 samples)
};

inline constexpr double kInitialLegatoOverlapQN = 1e-9;

// Release events the voices will still send (held and overlapping notes, owed portamento-off
// changes). Every other event leaves this much room in the buffer, so a release always fits.
int owedReleases(const VoiceBank& voices) noexcept;

void clearVoice(TrackVoiceState& voice) noexcept;
void clearVoices(VoiceBank& voices) noexcept;  // all six voices; keeps legatoOverlapQN

// Ends everything of one track at `time`: held and overlapping notes, a scheduled portamento
// change is dropped, an owed portamento-off change is sent.
void releaseTrackNotes(VoiceBank& voices, std::int32_t track, EngineEventBuffer& events, double time) noexcept;

// Sends what fell due by `limit` (held release, overlap release, scheduled change, earliest
// first), stamped no earlier than `floor`.
void flushDueTrackNotes(VoiceBank& voices, std::int32_t track, EngineEventBuffer& events, double limit, double floor) noexcept;

// Sends what falls due strictly before `end`, at its own time: the releases of a half-open window.
void flushTrackNotesDueBefore(VoiceBank& voices, std::int32_t track, EngineEventBuffer& events, double end) noexcept;

// Nothing sounds, nothing is scheduled and no portamento-off change is owed.
inline bool isVoiceIdle(const TrackVoiceState& v) noexcept {
    return v.heldCount == 0 && !v.releaseScheduled && !v.overlapPending && !v.ccPending && !v.ccResetPending;
}

// Turns one track's scratch into events, every time shifted by `delay`.
void emitTrackEventsInOrder(const StepScratch& scratch, VoiceBank& voices, EngineEventBuffer& events, double delay) noexcept;

// Plays one step: ties, legato overlap and portamento.
void playScheduledStep(VoiceBank& voices, const ScheduledStep& step, EngineEventBuffer& events) noexcept;

// Moves every pending release and control-change time by -d (a host loop jumped back d).
void shiftPendingTimes(VoiceBank& voices, double d) noexcept;

}  // namespace pulvan::engine
