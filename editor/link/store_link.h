#pragma once
#include "editor/link/track_configs.h"
#include "editor/model/preset.h"
#include "editor/model/preset_json.h"
#include "editor/model/preset_parser.h"
#include "editor/store/sequencer_store.h"
#include "platform/foundation/signal.h"
#include "platform/foundation/uuid.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace pulvan::link {

// The engine of the standalone application while its play runs; the standalone
// app play installs it on the store's link and removes it when play ends.
class StandaloneEngine {
public:
    virtual ~StandaloneEngine() = default;
    virtual void requestNotesOffForTracks(const std::vector<int>& tracks) = 0;
    virtual void requestAllNotesOff() = 0;
    virtual void configure(const store::HostedAppPlayPayload& payload, const std::vector<int>& midiOutOffsetsMs) = 0;
    // Launches switch on the render thread at their target beat (quarter notes), however far
    // ahead of the clock the engine renders.
    virtual void scheduleSceneLaunch(const store::HostedAppPlayPayload& payload, double targetBeat) = 0;
    virtual void schedulePatternLaunch(const store::HostedAppPlayPayload& payload, double targetBeat, int track) = 0;
    virtual void cancelPatternLaunch() = 0;
    // Quarter notes; not finite when unknown.
    virtual double beatPosition() = 0;
};

// The store's side of the engine link: configuration refresh, quantised scene
// and pattern launches, the preset as bytes, the switch into and out of hosted
// mode, the 33 ms hosted poll with incoming notes, and hosted recording. One
// per store, on the store's thread; installs the store's configuration refresh
// for its lifetime and reaches an engine only through the store's hook closures.
//
// Implemented by concern: configuration_refresh.cpp, launch_scheduling.cpp,
// preset_exchange.cpp, hosted_poll.cpp, incoming_notes.cpp, hosted_recording.cpp.
class StoreLink {
public:
    // Installs the store's configuration refresh and its launch and preset
    // closures; removes them when it goes.
    explicit StoreLink(store::SequencerStore& store);
    ~StoreLink();
    StoreLink(const StoreLink&) = delete;
    StoreLink& operator=(const StoreLink&) = delete;

    store::SequencerStore& store() { return store_; }

    // Outside a host, the engine that refreshes and launches reach while the
    // store's app play runs; none otherwise.
    StandaloneEngine* standaloneEngine = nullptr;

    // ---- Configuration hand-over ----
    // Sends the queued and requested note releases, then the whole configuration.
    void refreshAppPlayConfiguration(bool forceAllNotesOff, const std::set<int>& releaseTracks);
    // To the engine that plays, hosted or standalone: offsets first, then the configuration.
    void pushEngineConfiguration(const AppPlayConfiguration& configuration);
    // The first push of hosted mode: configuration, engine on, live CC values, polling.
    void enableHostedAppPlay();

    // ---- Quantised launches (positions in sixteenths) ----
    std::optional<double> currentSixteenthPosition() const;
    // The next multiple of grid strictly after current.
    static int nextLaunchSixteenth(int current, int grid);
    int sceneLaunchGridSixteenths() const;
    int patternLaunchGridSixteenths() const;
    // False when no position is known (the caller applies at once).
    bool scheduleSceneSelection(int sceneIndex);
    // Hands the launch to the playing engine, hosted or standalone, which then switches by
    // itself on its line; false when no engine takes it (the store then applies it when due).
    bool scheduleEngineSceneLaunch(int sceneIndex, int targetSixteenth);
    // False when not playing or no position is known.
    bool schedulePatternSelection(const foundation::Uuid& trackID, int patternIndex);
    bool scheduleEnginePatternLaunch(const foundation::Uuid& trackID, int patternIndex, int targetSixteenth);
    void updateSceneSelectionProgress(std::optional<double> position);
    void updatePatternSelectionProgress(std::optional<double> position);
    void advancePendingSceneSelection(std::optional<double> position, std::optional<double> previous);
    void advancePendingPatternSelection(std::optional<double> position, std::optional<double> previous);
    void applyPendingPatternSelection(const foundation::Uuid& trackID, int patternIndex, bool refresh);
    // After a configuration push: the launches the engine holds carry the edit just pushed.
    void rescheduleEnginePendingLaunches();

    // ---- The preset as bytes, hosted mode ----
    // The preset as stored in a host's project or a file: version "v11", no pool,
    // the current scene (internal chord only) and the selected patterns.
    std::optional<std::vector<std::uint8_t>> encodedPresetData() const;
    // Parses and applies; the store is unchanged unless the outcome is success.
    model::PresetLoadOutcome applyPresetData(const std::vector<std::uint8_t>& bytes);
    // Replaces the whole document state with a normalised copy of `preset`. A
    // gesture's transaction still open then is abandoned: its edits went with the
    // old document, and its late end must record nothing.
    void applyPreset(model::Preset preset);
    // Emitted first, while the old document is still there: gestures under way end now.
    foundation::Signal<> documentWillBeReplaced;
    void presentPreservedStatePrompt();
    // Acts only on a change: pending launches applied, state reset, the new mode
    // logged on standard error, then the engine enabled and polled (hosted) or
    // disabled and left (standalone).
    void setHostedUI(bool hosted);
    void resetHostedMIDIRecordState(bool clearPendingExport);

    // ---- Hosted poll ----
    // How often the playhead display follows the engine, hosted or standalone.
    static constexpr std::int64_t kPlayheadPollIntervalNanoseconds = 33'000'000;
    void startHostedPlayheadPolling();
    void stopHostedPlayheadPolling();
    // One 33 ms tick.
    void pollHostedEngineState();
    // Stores the closure; in hosted mode a closure starts polling and none stops it.
    void setHostedAppPlayState(std::function<std::pair<int, bool>(int track)> state);
    void clearActiveNotes();
    void clearHostedPlayheadDisplay();
    // The notes sounding on one track as two 64-bit masks (notes 0-63, 64-127).
    using NoteMasks = std::pair<std::uint64_t, std::uint64_t>;
    static std::set<int> activeNoteSet(std::uint64_t low, std::uint64_t high);
    // Shows the active track's sounding notes and which tracks sound at all.
    void publishActiveNotes(const std::function<NoteMasks(int track)>& masks);
    // A launch still waiting when play stops would never come due: it takes effect now.
    void applyPendingLaunchesNow();

    // ---- Incoming notes (any thread; moved to the store's thread) ----
    // What one run over incoming MIDI takes at most on the store's thread (a poll's in a plug-in
    // host, the application input's on its own): the rest waits for the next run.
    static constexpr int kIncomingMIDIRunMessageLimit = 256;
    static constexpr std::int64_t kIncomingMIDIRunTimeLimitNanoseconds = 5'000'000;
    // Counts the note held at the MIDI input and refreshes the MIDI-in pool.
    void handleIncomingMIDINote(int note, bool isOn);
    // The store's thread: counts the note and tells the view, leaving the pool to the store's
    // syncNotesPoolFromIncomingMIDI, so that a run of notes refreshes it once.
    void takeIncomingMIDINote(int note, bool isOn);
    // The store's thread: the input holds exactly these keys, each on as many channels as its count
    // (the messages that led there were merged), and each channel's release frees one. Releases come
    // before presses; the pool is refreshed once.
    void matchIncomingMIDIHeldNotes(const std::array<std::uint8_t, 128>& channelsHolding);

    // ---- Hosted recording ----
    void toggleHostedMIDIRecord();
    void pollHostedMIDIRecordState();
    void presentMIDIExportAfterRecording(int bars);

private:
    // A quantised launch's line: the next multiple of the grid after the sixteenth in progress, and the
    // position its progress starts from (read once more, else that sixteenth).
    struct LaunchTarget {
        int sixteenth = 0;
        std::optional<double> progressFrom;
    };
    // None when no position is known.
    std::optional<LaunchTarget> nextLaunchTarget(int grid) const;
    // The engine that takes launches ahead of their line: the hosted one through the store's
    // hooks, the standalone one while its play runs.
    bool engineTakesSceneLaunches() const;
    bool engineTakesPatternLaunches() const;
    void sendSceneLaunch(const store::HostedAppPlayPayload& payload, double targetBeat);
    void neutraliseStaleSceneLaunch(const store::HostedAppPlayPayload& current);
    void finishStoppedTransport();
    double uptime() const;
    void countIncomingMIDINote(int note, bool isOn);

    store::SequencerStore& store_;
    // The target beat of the scene launch last handed to the engine, until the
    // store has followed it or, once dropped, a push finds that beat passed; the
    // engine's scene queue cannot be cancelled.
    std::optional<double> engineSceneLaunchTargetBeat_;
    // Keeps a handler posted from another thread from reaching a gone link.
    std::shared_ptr<StoreLink*> self_ = std::make_shared<StoreLink*>(this);
    std::thread::id storeThread_ = std::this_thread::get_id();
    // Keeps the encoded patterns between pushes of the preset blob.
    mutable model::PresetEncoder presetEncoder_;
};

}  // namespace pulvan::link
