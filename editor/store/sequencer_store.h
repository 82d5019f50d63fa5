#pragma once
#include "editor/model/chord_preset.h"
#include "editor/model/lane_kind.h"
#include "editor/model/pattern.h"
#include "editor/model/pattern_direction.h"
#include "editor/model/preset.h"
#include "editor/model/preset_parser.h"
#include "editor/model/user_preferences.h"
#include "editor/store/dialog_request.h"
#include "editor/store/dropdown_request.h"
#include "editor/store/editor_modes.h"
#include "editor/store/hosted_hooks.h"
#include "editor/store/midi_learn.h"
#include "editor/store/pattern_generator_303_state.h"
#include "editor/store/playhead_state.h"
#include "editor/store/preset_dialog_rows.h"
#include "editor/store/store_services.h"
#include "editor/store/track_selection.h"
#include "editor/store/undo_history.h"
#include "platform/foundation/main_queue.h"
#include "platform/foundation/observable.h"
#include "platform/foundation/uuid.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <string>
#include <vector>

namespace pulvan::store {

using UserPreferences = model::UserPreferences;

// The editor's single observable state object: the preset being edited, the
// selections and modes, modals, dialogs and the preset browser, MIDI learn, the
// undo history and the closures to a hosted engine. Main thread only.
//
// Published values are Observables that notify after the value is stored; each
// change also emits `didChange`. Values whose setters carry behaviour are read
// through an accessor and written through their set... method.
//
// The class is implemented across files by concern: sequencer_store.cpp (state,
// start-up), store_transactions.cpp (transactions and undo), store_modals.cpp
// (modals and arming), store_preferences.cpp, store_pattern_clipboard.cpp,
// store_playhead_position.cpp, store_midi_output.cpp.
class SequencerStore {
public:
    // Runs the start-up sequence: the given preset, or the "Default" preset file,
    // or the default preset; then the history, selections, preferences and the
    // learned MIDI controllers.
    explicit SequencerStore(StoreServices services, std::optional<model::Preset> preset = std::nullopt);
    ~SequencerStore() = default;
    SequencerStore(const SequencerStore&) = delete;
    SequencerStore& operator=(const SequencerStore&) = delete;

    // Emitted after any published value changed.
    foundation::Signal<> didChange;

    // ---- Published state ----
    foundation::Observable<model::Preset> preset{{}, &didChange};
    foundation::Observable<int> activeTrackIndex{0, &didChange};
    foundation::Observable<model::LaneKind> activeLane{model::LaneKind::notes, &didChange};
    foundation::Observable<std::optional<LastStepMode>> lastStepMode{std::nullopt, &didChange};
    const foundation::Observable<std::optional<KezModal>>& activeModal() const { return activeModal_; }
    const foundation::Observable<bool>& pinPerformanceDialog() const { return pinPerformanceDialog_; }
    foundation::Observable<int> uiMaxContentWidth{2000, &didChange};
    foundation::Observable<int> defaultCCA{74, &didChange};
    foundation::Observable<int> defaultCCB{71, &didChange};
    foundation::Observable<MIDILearnMappings> midiLearnMappings{{}, &didChange};
    foundation::Observable<bool> isMIDILearnActive{false, &didChange};
    foundation::Observable<std::optional<MIDILearnElement>> midiLearnSelection{std::nullopt, &didChange};
    foundation::Observable<std::optional<DialogRequest>> dialog{std::nullopt, &didChange};
    foundation::Observable<std::optional<DropdownRequest>> dropdown{std::nullopt, &didChange};
    foundation::Observable<bool> isPresetDialogPresented{false, &didChange};
    foundation::Observable<PresetDialogMode> presetDialogMode{PresetDialogMode::load, &didChange};
    foundation::Observable<std::vector<PresetDialogFolder>> presetDialogFolders{{}, &didChange};
    foundation::Observable<std::vector<PresetDialogFileEntry>> presetDialogFiles{{}, &didChange};
    foundation::Observable<std::string> presetDialogFolderID{presetHomeFolderID, &didChange};
    foundation::Observable<std::optional<std::string>> presetDialogSelectedFile{std::nullopt, &didChange};
    foundation::Observable<std::string> presetDialogSaveName{"", &didChange};
    foundation::Observable<std::string> currentPresetName{"", &didChange};
    foundation::Observable<int> activeSceneIndex{0, &didChange};
    const foundation::Observable<bool>& patternCopyToActive() const { return patternCopyToActive_; }
    const foundation::Observable<bool>& patternSwapWithActive() const { return patternSwapWithActive_; }
    const foundation::Observable<bool>& sceneCopyToActive() const { return sceneCopyToActive_; }
    const foundation::Observable<bool>& sceneSwapWithActive() const { return sceneSwapWithActive_; }
    foundation::Observable<PatternGenerator303State> patternGenerator303{{}, &didChange};
    foundation::Observable<bool> notesPoolMIDILatchEnabled{false, &didChange};
    foundation::Observable<bool> isHostedUI{false, &didChange};
    foundation::Observable<bool> isBackupFolderPickerPresented{false, &didChange};
    foundation::Observable<bool> isImportAllFolderPickerPresented{false, &didChange};
    foundation::Observable<bool> isImportOnePresetPickerPresented{false, &didChange};
    foundation::Observable<bool> isMIDIExportFolderPickerPresented{false, &didChange};
    foundation::Observable<HostedMIDIRecordMode> hostedMIDIRecordMode{HostedMIDIRecordMode::idle, &didChange};
    foundation::Observable<double> hostedMIDIRecordMeasureProgress{0.0, &didChange};
    foundation::Observable<int> hostedMIDIRecordBarCount{0, &didChange};
    foundation::Observable<std::map<foundation::Uuid, TrackSelection>> selections{{}, &didChange};
    foundation::Observable<bool> appPlayRunning{false, &didChange};
    foundation::Observable<bool> resyncModeActive{false, &didChange};
    const foundation::Observable<bool>& canUndo() const { return canUndo_; }
    const foundation::Observable<bool>& canRedo() const { return canRedo_; }

    // ---- Plain state ----
    int hostedWindowWidth = 1280;
    std::map<int, int> lastIncomingCCValueByController;
    std::map<int, int> outgoingCCEchoCounts;
    std::map<int, double> outgoingCCEchoDeadlines;
    std::optional<std::string> currentPresetFolderName;  // none = the home folder
    bool hostedMIDIRecordAvailable = true;
    bool forcePinnedPerformanceDialog = false;
    std::optional<std::string> lastPresetDialogTapName;
    double lastPresetDialogTapDate = -std::numeric_limits<double>::infinity();  // system uptime; the distant past
    std::optional<model::Pattern> patternClipboard;
    std::optional<model::ChordPreset> chordClipboard;
    std::map<int, int> incomingMIDINoteCountByNote;
    std::set<int> incomingMIDILatchedNotes;
    PlayheadState playhead;
    HostedHooks hooks;
    // Rebuilds and hands the whole configuration to the engine; installed by the
    // engine link, which also sends and clears the queued note releases.
    std::function<void(bool forceAllNotesOff, const std::set<int>& releaseTracks)> appPlayConfigurationRefresh;
    foundation::Timer standalonePlayheadTimer;
    foundation::Timer hostedPlayheadTimer;
    static constexpr int hostedTransportStopDebouncePollCount = 2;
    static constexpr double hostedTransportMovingGraceSeconds = 0.2;
    int hostedTransportConsecutiveStoppedPollCount = 0;
    double hostedTransportLastMovingUptime = 0;
    std::optional<double> hostedLastSixteenthPosition;
    std::optional<int> pendingSceneSelectionIndex;
    std::optional<int> pendingSceneSelectionTargetSixteenthStep;
    bool pendingSceneSelectionScheduledInHostedEngine = false;
    std::optional<foundation::Uuid> pendingPatternSelectionTrackID;
    std::optional<int> pendingPatternSelectionPatternIndex;
    std::optional<int> pendingPatternSelectionTargetSixteenthStep;
    bool pendingPatternSelectionScheduledInHostedEngine = false;
    std::optional<std::vector<std::uint8_t>> pendingMIDIExportData;
    std::string pendingMIDIExportFileName;
    int pendingMIDIExportBarCount = 0;
    std::optional<int> patternGenerator303AuditioningNote;
    std::optional<int> patternGenerator303AuditioningChannel;
    std::optional<std::string> patternGenerator303UndoSessionBaselinePresetData;
    bool patternGenerator303UndoSessionHasChanges = false;
    int txnDepth = 0;
    std::string pendingLabel;
    bool pendingAppPlayGlobalNoteRelease = false;
    std::set<int> pendingAppPlayTrackNoteReleaseIndices;
    bool skipNextAppPlayConfigurationRefresh = false;
    std::optional<std::vector<std::uint8_t>> hostedPreservedStateBlob;
    std::function<void()> hostedPreservedStateOverwriteConfirmed;
    model::PresetLoadOutcome hostedPreservedStateOutcome = model::PresetLoadOutcome::success();

    const UndoHistory& history() const { return history_; }
    const StoreServices& services() const { return services_; }

    // ---- Derived values (sequencer_store.cpp) ----
    // min(track count, 6).
    int visibleTrackCount() const;
    // activeTrackIndex held to the visible tracks; 0 without tracks.
    int clampedActiveTrackIndex() const;
    // Writes the clamped index back when it differs.
    void normalizeActiveTrackIndex();
    // The active track's selected pattern slot; 0 without a selection.
    int activePatternIndex() const;
    // The direction of the active track's selected pattern; forward when it has none.
    model::PatternDirection activePatternDirection() const;

    // ---- Transactions and undo (store_transactions.cpp) ----
    // Opens a transaction: the label counts only for the outermost one.
    void beginTransaction(const std::string& label);
    // Closes one level; the outermost close records an undo entry when the preset
    // changed and refreshes the engine configuration.
    void endTransaction();
    void undo();
    void redo();
    // Makes a recorded snapshot the current preset (pending launches dropped).
    void applyHistoryEntry(const model::Preset& snapshot);
    // Starts a fresh history from the current preset.
    void resetHistory();
    // Swing 50...75, pushed to the engine at once; not undoable.
    void setSwingPercent(int percent);
    void refreshAppPlayConfiguration(bool forceAllNotesOff, const std::set<int>& releaseTracks);
    // Queues a release of a track's notes (out of range or none: of all notes) for the next refresh.
    void queueNoteRelease(std::optional<int> track);
    void dropPendingSceneSelection();
    void cancelPendingPatternSelection(bool cancelScheduledLaunch);
    void closePatternGenerator303UndoSession();

    // ---- Modals and arming (store_modals.cpp) ----
    // Stores the modal and runs activeModalDidChange with the previous one.
    void setActiveModal(std::optional<KezModal> modal);
    void activeModalDidChange(std::optional<KezModal> previous);
    void setPinPerformanceDialog(bool pinned);
    void setPatternCopyToActive(bool armed);
    void setPatternSwapWithActive(bool armed);
    void setSceneCopyToActive(bool armed);
    void setSceneSwapWithActive(bool armed);
    void restartPatternArmTimeout();
    void restartSceneArmTimeout();
    static constexpr double armTimeoutSeconds = 10.0;

    // ---- MIDI output of the editor (store_midi_output.cpp) ----
    void sendNoteOn(int note, int velocity, int channel);
    void sendNoteOff(int note, int channel);

    // ---- Preferences (store_preferences.cpp) ----
    // Writes the given preferences, or the store's current values.
    void saveUserPreferences(std::optional<UserPreferences> preferences = std::nullopt);
    void loadUserPreferences();
    void loadMIDILearnMappings();

    // ---- Pattern clipboard on the general pasteboard (store_pattern_clipboard.cpp) ----
    void copyPatternToPasteboard();
    void pastePatternFromPasteboard();

    // ---- Playhead position (store_playhead_position.cpp) ----
    // The playhead's place 0...max(length, 1) - 1 in the active pattern by its direction.
    int stepIndexInPattern(std::int64_t globalStep, int length) const;

private:
    void sendMIDI(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void openPatternGenerator303UndoSession();
    void applyTrackPatternSelections(const std::vector<int>& indices);
    void restartArmTimeout(foundation::Timer& timer, bool armed, void (SequencerStore::*clear)());
    void clearPatternArming();
    void clearSceneArming();

    StoreServices services_;
    UndoHistory history_;
    foundation::Observable<std::optional<KezModal>> activeModal_{std::nullopt, &didChange};
    foundation::Observable<bool> pinPerformanceDialog_{false, &didChange};
    foundation::Observable<bool> patternCopyToActive_{false, &didChange};
    foundation::Observable<bool> patternSwapWithActive_{false, &didChange};
    foundation::Observable<bool> sceneCopyToActive_{false, &didChange};
    foundation::Observable<bool> sceneSwapWithActive_{false, &didChange};
    foundation::Observable<bool> canUndo_{false, &didChange};
    foundation::Observable<bool> canRedo_{false, &didChange};
    foundation::Timer patternArmTimeoutTimer_;
    foundation::Timer sceneArmTimeoutTimer_;
};

}  // namespace pulvan::store
