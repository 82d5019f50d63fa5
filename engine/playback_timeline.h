#pragma once
#include "engine/engine_snapshot.h"

#include <algorithm>
#include <cstdint>

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
    // When set, the configuration in force is read from here instead of `playing`: storage its
    // owner keeps unchanged while it plays, spared a whole-snapshot copy.
    const EngineSnapshot* playingSource = nullptr;
};

inline const EngineSnapshot& playingSnapshot(const PlaybackTimeline& timeline) noexcept {
    return timeline.playingSource ? *timeline.playingSource : timeline.playing;
}

// Per-block input of renderTrack.
struct RenderContext {
    std::int32_t midiOutOffsetsMs[kTrackCount];
    double tempo;            // beats per minute
    double barLength;        // quarter notes
    std::uint8_t realigned;  // the window starts after a restart: play the step in progress
};

// Inserts a change keeping the list sorted (after entries of equal time); a fifth is dropped.
// `snapshot` may be null when the change applies none.
void insertTimedChange(PlaybackTimeline& timeline, double time, bool appliesSnapshot, bool resyncsGrid, std::uint32_t notesOffMask,
                       const EngineSnapshot* snapshot) noexcept;

// A change this far behind a block's start (past the largest output delay) is permanent.
inline constexpr double kRetireMargin = 0.000999;

// When a launch or resync falls due in a block starting at `position`.
struct CommitRule {
    double position;
    double maxDelay;  // the largest output delay of any track, in quarter notes
    bool jumpedBack;  // the host looped back before the previous window's end
    double horizon;   // the furthest target a loop back may still take over early

    // Due once the block starts past the target (plus the largest delay), or when the host
    // loops back before a target it would otherwise never reach.
    bool due(double target) const noexcept;
};

// The rule for a block at `position` that follows a window ending at `previousEnd`.
CommitRule commitRuleFor(double position, double maxDelay, bool jumpedBack, double previousEnd, double barLength) noexcept;

// Makes permanent every change with time <= `upTo`: its snapshot becomes `playing`, a resync
// later than the anchor becomes the anchor. Retired entries leave the list.
void retireTimedChanges(PlaybackTimeline& timeline, double upTo) noexcept;

// The snapshot and anchor in force at `at` (changes within 1e-6 after it count).
const EngineSnapshot& snapshotInForce(const PlaybackTimeline& timeline, double at) noexcept;
double anchorInForce(const PlaybackTimeline& timeline, double at) noexcept;

// Delay in quarter notes of a MIDI-out offset (clamped to +-200 ms) at a tempo.
inline double outputDelayQN(double tempo, std::int32_t offsetMs) noexcept { return tempo / 60000.0 * std::clamp(offsetMs, -200, 200); }

}  // namespace pulvan::engine
