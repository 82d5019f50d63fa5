#pragma once
#include "engine/engine_events.h"
#include "engine/engine_snapshot.h"
#include "engine/launch_queue.h"
#include "engine/midi_message_ring.h"
#include "engine/playback_timeline.h"
#include "engine/published_slots.h"
#include "engine/track_voices.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace pulvan::engine {

inline constexpr std::int64_t kResyncBarUnset = INT64_MIN;
inline constexpr std::uint64_t kNeverApplied = ~std::uint64_t{0};

// The real-time core: everything the audio thread plays and everything the editor side shares
// with it. One fixed-size object; it is large (many whole snapshots), so it lives on the heap.
// Only the raw configuration, the preset blob and the resize callback are heap-backed, and
// they are touched only under stateMutex or from the editor side.
struct SequencerEngine {
    SequencerEngine();  // plays the demo configuration, enabled
    SequencerEngine(const SequencerEngine&) = delete;
    SequencerEngine& operator=(const SequencerEngine&) = delete;

    PlaybackTimeline timeline;
    VoiceBank voices;
    EngineEventBuffer events;

    // Newest decoded configuration from the editor side; the one in play is held in its slot.
    PublishedSlots<EngineSnapshot, 4> publishedSnapshots;
    std::uint64_t lastSeenGeneration = 0;  // audio thread

    LaunchQueue sceneQueue;
    LaunchQueue patternQueue;

    std::atomic<std::uint8_t> resyncArmed{0};
    std::atomic<std::int64_t> resyncBar{kResyncBarUnset};
    std::atomic<std::int32_t> midiOutOffsetsMs[kTrackCount] = {};
    std::atomic<std::uint8_t> resetRequested{0};

    // Audio-thread state.
    // The configuration the next apply installs (the newest taken, or a committed launch) is
    // handed over by pointer, sparing whole-snapshot copies: it may point into the configuration
    // slot just taken (kept by the slots' reading index) or at a committed launch. A taken slot
    // stays valid until the next take moves the reading index, which first copies an unapplied
    // one into `staged`; a committed launch is applied in its own block. The apply plays both
    // where they lie (the timeline's playingSource): the slot in play stays held, and a launch
    // in play moves into the timeline before another launch that is not yet due replaces it.
    EngineSnapshot staged;
    const EngineSnapshot* stagedSource = &staged;
    PendingLaunch pendingScene;
    PendingLaunch pendingPattern;
    std::uint64_t lastSeenSceneGeneration = 0;
    std::uint64_t lastSeenPatternGeneration = 0;
    std::uint64_t appliedSceneGeneration = kNeverApplied;
    std::uint64_t appliedPatternGeneration = kNeverApplied;
    std::uint8_t appliedResyncPending = 0;
    double appliedResyncBeat = -1.0;
    std::uint64_t appliedSnapshotGeneration = kNeverApplied;
    std::uint8_t anchorInitialised = 1;
    std::uint8_t hasPreviousWindow = 0;
    double previousWindowEnd = 0.0;
    std::uint8_t wasPlaying = 0;

    std::atomic<std::uint8_t> enabled{1};
    std::atomic<std::uint8_t> allNotesOffRequested{0};
    std::atomic<std::uint32_t> notesOffRequestMask{0};

    MIDIMessageRing outgoingMIDI;  // editor -> audio thread (immediate messages)
    MIDIMessageRing incomingMIDI;  // audio thread -> editor (host input)

    // Playback display: written once per block by the audio thread, polled by the editor.
    std::atomic<std::int64_t> currentStep[kTrackCount] = {};
    std::atomic<std::uint64_t> activeNotesLow[kTrackCount] = {};   // notes 0-63
    std::atomic<std::uint64_t> activeNotesHigh[kTrackCount] = {};  // notes 64-127, bit n - 64
    std::atomic<std::uint8_t> transportMoving{0};
    std::atomic<double> beatPosition{0.0};
    std::atomic<double> measureProgress{0.0};

    std::function<void(double width, double height)> editorResizeCallback;  // editor thread only

    std::mutex stateMutex;                // guards rawConfig and presetBlob only; never the audio thread
    std::vector<std::int32_t> rawConfig;  // last accepted configuration buffer, 11112 words
    std::vector<std::uint8_t> presetBlob;
    std::atomic<std::uint64_t> hostStateVersion{0};  // bumped by the host-state reader on restore
};

// Audio thread: forgets resync, pending launches, voices (without note-offs), timed changes,
// the grid anchor and the display; the next playing block re-applies `staged`.
void resetEngine(SequencerEngine& engine) noexcept;

// Audio thread: the playback display as it reads while stopped (steps -1, no notes, beat 0).
void clearPlaybackDisplay(SequencerEngine& engine) noexcept;

// Editor side: a change cancels pending launches and ends every note at the next block.
void setEnabled(SequencerEngine& engine, bool enabled) noexcept;

// Editor side (one writer): hands a decoded configuration to the audio thread.
void publishSnapshot(SequencerEngine& engine, const EngineSnapshot& snapshot) noexcept;

// Audio thread, first step of every block: takes the newest configuration (by pointer into its
// slot), asking for all notes off when tracks disappear or a channel changes.
void takeNewestSnapshot(SequencerEngine& engine) noexcept;

// Audio thread: the configuration the next apply installs.
const EngineSnapshot& stagedSnapshot(const SequencerEngine& engine) noexcept;

// Editor side: accepts (or silently ignores) a configuration buffer, keeps its raw copy,
// decodes, clamps and publishes it.
void applyConfigBuffer(SequencerEngine& engine, const std::int32_t* words, std::int32_t count);

// Copy of the last accepted configuration buffer (empty before the first), for the host state.
std::vector<std::int32_t> copyRawConfig(SequencerEngine& engine);

}  // namespace pulvan::engine
