#pragma once
#include "audiounit/app_play_config.h"
#include "audiounit/midi_recorder.h"
#include "engine/engine_events.h"
#include "engine/playback_timeline.h"
#include "engine/published_slots.h"
#include "engine/track_voices.h"
#include "platform/audiounit/mirrored_ring.h"

#include <atomic>
#include <cstdint>
#include <limits>

namespace pulvan::au {

// Hands whole records from the main thread to the render thread. One writer thread only: the
// render thread cancels launches by taking them, never by publishing, so the writer never
// touches the slot being copied.
template <typename T>
using ThreeSlotMailbox = engine::PublishedSlots<T, 3>;

inline constexpr std::uint32_t kMIDIRingBytes = 16384;
inline constexpr std::int64_t kNoStep = std::numeric_limits<std::int64_t>::min();
inline constexpr std::uint64_t kNeverSeen = ~std::uint64_t{0};

// Render-thread bookkeeping between calls.
struct AppPlayRenderState {
    std::uint8_t timelineBuilt;
    std::uint8_t hasPreviousEnd;
    double previousEnd;  // the window end of the last running call
    std::uint64_t configSequenceAtRebuild;
    std::uint64_t sceneSequenceAtRebuild;
    std::uint64_t patternSequenceAtRebuild;
    std::uint8_t resyncPendingAtRebuild;
    double resyncBeatAtRebuild;  // -1: none
};

// Everything the render thread touches, allocated once and zero-filled, so rendering never
// allocates. The main thread reaches it only through the mailboxes, the rings and atomics.
struct AppPlayEngine {
    TPCircularBuffer outgoingMIDIRing;  // main -> render: immediate messages
    TPCircularBuffer incomingMIDIRing;  // render -> main: host MIDI

    std::atomic<std::uint8_t> enabled;
    AppPlayConfig currentConfig;  // render thread

    std::atomic<std::int32_t> trackMIDIOutOffsetsMs[kTrackCount];
    std::atomic<std::int64_t> globalStep[kTrackCount];
    std::atomic<std::uint64_t> activeNotesLow[kTrackCount];
    std::atomic<std::uint64_t> activeNotesHigh[kTrackCount];
    std::atomic<std::uint8_t> transportMoving;
    std::atomic<double> measureProgress;
    std::atomic<double> beatPosition;
    std::atomic<std::uint8_t> allNotesOffRequested;
    std::atomic<std::uint32_t> trackNotesOffMask;
    std::atomic<std::uint8_t> resetRequested;
    std::atomic<std::uint8_t> recorderResetRequested;
    std::atomic<std::uint8_t> resyncArmed;
    std::atomic<std::int64_t> resyncTargetBar;
    std::atomic<double> sampleRate;

    AppPlayMIDIRecorder recorder;

    ThreeSlotMailbox<AppPlayConfig> configMailbox;
    ThreeSlotMailbox<AppPlayLaunch> sceneMailbox;
    ThreeSlotMailbox<AppPlayLaunch> patternMailbox;
    std::uint64_t configSeen;  // reader side of each mailbox
    std::uint64_t sceneSeen;
    std::uint64_t patternSeen;
    AppPlayLaunch pendingScene;
    AppPlayLaunch pendingPattern;

    engine::PlaybackTimeline timeline;
    engine::EngineSnapshot stagingSnapshot;  // render thread: launch conversions
    engine::VoiceBank voices;
    engine::EngineEventBuffer events;
    AppPlayRenderState renderState;
};

// Gives a zero-filled engine its construction defaults and maps both rings. A ring that cannot
// be mapped stays inert: its messages are dropped.
void initAppPlayEngine(AppPlayEngine& engine) noexcept;
void releaseAppPlayEngine(AppPlayEngine& engine) noexcept;

}  // namespace pulvan::au
