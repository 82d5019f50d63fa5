#pragma once
#include <cstdint>

#include "engine/engine_snapshot.h"

namespace pulvan::engine {

// A launch or resync waiting for its beat.
struct TimedChange {
    double time;  // quarter notes
    std::uint8_t appliesSnapshot;
    std::uint8_t resyncsGrid;
    std::uint32_t notesOffMask;  // bit t = release track t at the change
    EngineSnapshot snapshot;     // meaningful only with appliesSnapshot
};

inline constexpr int kMaxTimedChanges = 4;

// The configuration in force, its grid anchor and the changes due later, sorted by time.
struct PlaybackTimeline {
    EngineSnapshot playing;
    double gridAnchor;  // global step 0 is the first grid step at or after it
    std::int32_t timedChangeCount;
    TimedChange timedChanges[kMaxTimedChanges];
};

// Per-block input of renderTrack.
struct RenderContext {
    std::int32_t midiOutOffsetsMs[kTrackCount];
    double tempo;      // beats per minute
    double barLength;  // quarter notes
    std::uint8_t realigned;  // the window starts after a restart: play the step in progress
};

// Inserts a change keeping the list sorted (after entries of equal time); a fifth is dropped.
// `snapshot` may be null when the change applies none.
void insertTimedChange(PlaybackTimeline& timeline, double time, bool appliesSnapshot, bool resyncsGrid,
                       std::uint32_t notesOffMask, const EngineSnapshot* snapshot) noexcept;

// Makes permanent every change with time <= `upTo`: its snapshot becomes `playing`, a resync
// later than the anchor becomes the anchor. Retired entries leave the list.
void retireTimedChanges(PlaybackTimeline& timeline, double upTo) noexcept;

// The snapshot and anchor in force at `at` (changes within 1e-6 after it count).
const EngineSnapshot& snapshotInForce(const PlaybackTimeline& timeline, double at) noexcept;
double anchorInForce(const PlaybackTimeline& timeline, double at) noexcept;

// Delay in quarter notes of a MIDI-out offset (clamped to +-200 ms) at a tempo.
double outputDelayQN(double tempo, std::int32_t offsetMs) noexcept;

}  // namespace pulvan::engine
