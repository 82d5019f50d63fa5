#pragma once
#include "editor/model/chord_preset.h"
#include "editor/model/fill_empty.h"
#include "editor/model/lane.h"
#include "editor/model/lane_kind.h"
#include "editor/model/notes_pool_input.h"
#include "editor/model/pattern.h"
#include "editor/model/pattern_direction.h"
#include "editor/model/preset.h"
#include "editor/model/preset_parser.h"
#include "editor/model/user_preferences.h"
#include "editor/store/dialog_request.h"
#include "editor/store/dropdown_request.h"
#include "editor/store/editor_modes.h"
#include "editor/store/engine_link_hooks.h"
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
#include "platform/foundation/weak_self.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
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
// store_playhead_position.cpp, store_midi_output.cpp, and the editing commands:
// store_top_bar.cpp, store_track_commands.cpp, store_lane_editing.cpp,
// store_pattern_transforms.cpp, store_pattern_slots.cpp,
// store_pattern_generator_303.cpp, store_notes_pool.cpp, store_chord_scenes.cpp,
// store_track_settings.cpp, store_midi_learn.cpp.
class SequencerStore {
public:
    // Runs the start-up sequence: the given preset, or the "Default" preset file,
    // or the default preset; then the history, selections, preferences and the
    // learned MIDI controllers.
    explicit SequencerStore(StoreServices services, std::optional<model::Preset> preset = std::nullopt);
    // Writes a learned controller whose write was still waiting.
    ~SequencerStore();
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
    EngineLinkHooks linkHooks;
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
    bool pendingSceneSelectionScheduledInEngine = false;
    std::optional<foundation::Uuid> pendingPatternSelectionTrackID;
    std::optional<int> pendingPatternSelectionPatternIndex;
    std::optional<int> pendingPatternSelectionTargetSixteenthStep;
    bool pendingPatternSelectionScheduledInEngine = false;
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
    // Closes one level; the outermost close always records an undo entry and
    // refreshes the engine configuration.
    void endTransaction();
    // Closes the transaction of a gesture or a one-shot edit that may change nothing
    // (a drag, a paint, a reset): as endTransaction, except that an outermost close
    // that finds the preset where the history stands records nothing and pushes nothing.
    void endGestureTransaction();
    void undo();
    void redo();
    // Makes a recorded snapshot the current preset (pending launches dropped); stepping
    // across an entry that replaced the selections brings back those of the other side.
    void applyHistoryEntry(const model::Preset& snapshot, int crossedEntry);
    // Starts a fresh history from the current preset.
    void resetHistory();
    // Starts a fresh history from the replaced preset and the selections shown with it, with the
    // current preset a labelled undo step after it.
    void resetHistoryKeepingUndo(const model::Preset& replaced, SelectionState replacedSelections, const std::string& label);
    // True when a load would lose edits: the preset is not the one last saved or loaded, or edits
    // that were undone since could still be redone.
    bool hasUnsavedChanges() const;
    // Asks whether to give up unsaved edits for the preset; the load runs on confirm.
    void presentLoadOverUnsavedChangesDialog(const std::string& presetName, std::function<void()> load);
    void presentQuitOverUnsavedChangesDialog(std::function<void()> quit);
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
    // The pasteboard type under which a pattern travels between editors.
    static constexpr const char* patternPasteboardType = "com.kezwerk.pulvan.pattern";
    void copyPatternToPasteboard();
    void pastePatternFromPasteboard();

    // ---- Playhead position (store_playhead_position.cpp) ----
    // The playhead's place 0...max(length, 1) - 1 in the active pattern by its direction.
    int stepIndexInPattern(std::int64_t globalStep, int length) const;

    // ---- Top bar and main menu (store_top_bar.cpp) ----
    // Hosted only, with the resync hook present and no resync armed yet.
    void armResync();
    // On: learn mode, nothing selected, the performance modal open and pinned. Off: cancelMIDILearn().
    void toggleMIDILearn();
    // The default preset with the default CCs applied as a whole, the name cleared; the history starts
    // again with the edited preset, and the selections and scene shown with it, one "Initialize" undo away.
    void initializePreset();
    // Makes `incoming` the whole document (normalised): selections, scene, arming, modal,
    // dialog and dropdown reset, a fresh undo history, the engine refreshed, live CCs sent.
    // The link's applyPreset wraps it with its hosted parts.
    void replacePreset(model::Preset incoming);
    bool isHostedMIDIRecording() const;
    // Rises while recording waits for its start, falls while it waits for its stop; none otherwise.
    std::optional<double> hostedMIDIRecordProgress() const;
    // Every track's CC A and CC B := the defaults, inside the caller's transaction.
    void writeDefaultCCsToAllTracks();
    // The indices that name a track of the preset.
    std::set<int> validTrackIndices(const std::set<int>& indices) const;

    // ---- Track commands (store_track_commands.cpp) ----
    static constexpr int trackLimit = 6;
    static constexpr std::size_t trackNameLimit = 30;
    bool canAddTrack() const;
    // At the limit both publish the "Track limit" alert instead.
    void addTrack();
    void duplicateTrack();
    void presentDeleteTrackDialog(int index);
    // Keeps at least one track; scene pattern entries of later tracks move down with them.
    void deleteTrack(int index);
    void presentRenameTrackDialog(std::function<void()> completion = {});
    // Trimmed and cut to 30 characters; an empty name publishes an alert.
    void renameActiveTrack(const std::string& text, std::function<void()> completion = {});
    void setActiveTrackOctave(int octave);
    void setActiveTrackTranspose(int transpose);
    void setActiveTrackChannel(int channel);
    // Turning poly off releases the track's notes and keeps each step's lowest chord note.
    void setActiveTrackPoly(bool poly);
    // -200...200 ms; opens no transaction (the offset field wraps its drags).
    void setActiveTrackMIDIOutOffset(int milliseconds);
    // 0xRRGGBB; an index outside the tracks gets the default palette colour of that index.
    int trackAccentColor(int index) const;
    bool isTrackNoteActive(int index) const;
    // The first palette colour no track uses, else the default colour of the index.
    int nextTrackAccentColor(int forIndex) const;

    // ---- Lane and step editing (store_lane_editing.cpp) ----
    // A view's column 0...15 means step column + 16 x activePageIndex.
    static constexpr int stepsPerPage = 16;
    static constexpr int pageCount = 4;
    int activePageIndex() const;
    void setActivePage(int page);
    void selectPage(int page) { setActivePage(page); }
    // The active pattern's lane of that kind, or the kind's default lane.
    const model::Lane& activeLaneFor(model::LaneKind kind) const;
    void toggleLastStepMode(LastStepMode mode);
    void setLastStep(model::LaneKind kind, int column);
    // Inside the caller's transaction.
    void setLaneStepValue(model::LaneKind kind, int column, int value);
    // The step will not play because the GATE lane (of the same length) is off there.
    bool isStepGatedOff(model::LaneKind kind, int column) const;
    void resetLane(model::LaneKind kind);
    bool notesStepContains(int column, int noteIndex) const;
    // Inside the caller's transaction; pushNow sends the change to the engine at once.
    void setNoteInStep(int column, int noteIndex, bool isOn, bool pushNow);
    // Returns the index the dragged note now has.
    int moveStepChordNote(int column, int from, int to, bool pushNow);
    bool isPageInUse(int page) const;
    std::optional<int> playheadPageIndex() const;
    std::optional<int> playheadStepInPage(model::LaneKind kind) const;
    // Whether the pattern would sound: a GATE step on before its last step, and a pool or a FIX step to play.
    bool patternHasActiveSteps(int track, int pattern) const;

    // ---- Pattern transforms (store_pattern_transforms.cpp) ----
    void doublePatternLength();
    void halvePatternLength();
    // Moves the NOTES steps through the notes pool by the amount (wrapping at 12).
    void shiftNotes(int amount);
    void rotatePattern(bool left);
    void setPatternDirection(model::PatternDirection direction);
    void setPatternResolution(int code);
    int activePatternResolution() const;

    // ---- Pattern slots (store_pattern_slots.cpp) ----
    // Quantised while playing, else at once; tapping the selected slot withdraws a waiting launch.
    void launchPattern(int slot);
    std::optional<double> patternLaunchProgress(int slot) const;
    bool isPatternEmpty(int track, int pattern) const;
    // Selects pattern number 1...8 at once; true when the selection changed.
    bool selectPatternForTrack(int number, int track);
    void togglePatternCopyArm();
    void togglePatternSwapArm();
    void armPatternCopy() { togglePatternCopyArm(); }
    void armPatternSwap() { togglePatternSwapArm(); }
    void copyActivePatternToClipboard();
    bool pastePattern(int track, int slot, bool select);
    bool swapPatterns(int slot);
    void presentClearPatternDialog();
    void clearPattern();
    void setPatternLaunchResolution(int resolution);
    void togglePatternGenerator303Modal();
    bool isPatternLaunchResolutionBarOrBeat() const;
    // Refreshes the configuration, releasing the track's notes when its pattern would not sound.
    void refreshAppPlayForTrackPatternChange(int track);

    // ---- 303 pattern generator (store_pattern_generator_303.cpp) ----
    // The GATE lane's last step limited to 1...16.
    int patternGenerator303StepLimit() const;
    void setPatternGenerator303Mode(PatternGenerator303Mode mode);
    void setPatternGenerator303Pitch(int key, bool advance);
    void setPatternGenerator303Time(int value, bool advance);
    void togglePatternGenerator303Accent();
    void togglePatternGenerator303Slide();
    // Change only the given state; updatePatternGenerator303State writes it back.
    void togglePatternGenerator303OctaveDown(PatternGenerator303State& state) const;
    void togglePatternGenerator303OctaveUp(PatternGenerator303State& state) const;
    void updatePatternGenerator303State(const std::function<void(PatternGenerator303State&)>& transform);
    void setPatternGenerator303NoAccentVelocity(int velocity);
    void setPatternGenerator303AccentVelocity(int velocity);
    void patternGenerator303StepBack();
    void patternGenerator303StepForward();
    void clearPatternGenerator303();
    void auditionPatternGenerator303Key(int key);
    void auditionPatternGenerator303Step();
    void closePatternGenerator303();
    void closePatternGenerator303Modal() { closePatternGenerator303(); }
    void loadPatternGenerator303FromTrack();
    // Writes the programme into the active pattern directly (the modal's session makes it one undo entry).
    void applyPatternGenerator303();

    // ---- Notes pool (store_notes_pool.cpp) ----
    void editNotesPool(int note);
    bool moveNotesPoolNote(int from, int to);
    void shiftChord(int delta);
    void setNotesPoolInput(model::NotesPoolInput input);
    void setNotesPoolMIDILatch(bool enabled);
    void setNotesPoolMIDILatchEnabled(bool enabled) { setNotesPoolMIDILatch(enabled); }
    // Latch on: the latched notes; off: the held ones; ascending.
    std::vector<int> incomingMIDIPoolNotes() const;
    // In MIDI-in mode, writes those notes into the pool when they differ (not undoable).
    void syncNotesPoolFromIncomingMIDI();
    void setChordMemory(const std::vector<int>& chord);

    // ---- Chord scenes (store_chord_scenes.cpp) ----
    void copyActiveChord();
    void copyChordOfScene() { copyActiveChord(); }
    bool pasteChordToScene(int index);
    bool swapChordSceneWithActive(int index);
    bool swapChordScenes(int index) { return swapChordSceneWithActive(index); }
    void clearActiveChord();
    void clearActiveSceneChord() { clearActiveChord(); }
    void storeChordToScene(int index);
    void selectChord(int index);
    // At once while stopped, else a quantised launch (with a resync when the preset asks for one).
    void selectScene(int index);
    void applySceneSelection(int index, bool releaseSilentTracks, bool refresh);
    void setScenePatternIndex(std::optional<int> number, int track);
    std::optional<int> scenePatternIndex(int track) const;
    bool isChordSceneEmpty(int index) const;
    void setSceneLaunchResolution(int resolution);
    void setResyncOnNewScene(bool resync);
    bool isSceneLaunchResolutionBarOrBeat() const;
    // Inside the caller's transaction: the chords of the first eight scenes.
    void applyChordProgressionPreset(const std::vector<model::Chord>& chords);
    // Tracks with a number switch to that pattern (1-based); silent tracks may be released.
    void applyScenePatterns(const std::vector<std::optional<int>>& patterns, bool releaseSilentTracks, bool refresh);

    // ---- Track settings, live CCs, mute and solo (store_track_settings.cpp) ----
    void sendCC(int controller, int value, int channel);
    int liveCCValue(int track, model::LaneKind kind) const;
    // Not undoable; sent only when the value changes.
    void setLiveCCValue(int value, int track, model::LaneKind kind);
    void sendLiveCCValues();
    void toggleMute(int track);
    void toggleSolo(int track);
    void toggleTrackMute(int track) { toggleMute(track); }
    void toggleTrackSolo(int track) { toggleSolo(track); }
    void applyTrackSettings(model::FillEmpty fillEmpty, int ccA, int ccB, std::optional<int> portamentoCC = std::nullopt,
                            std::optional<int> portamentoOnValue = std::nullopt, std::optional<int> portamentoOffValue = std::nullopt,
                            std::optional<int> accentColorHex = std::nullopt);
    // Inside the caller's transaction.
    void setPortamentoValue(int value, bool isOn);
    void setDefaultCCs(std::optional<int> ccA, std::optional<int> ccB);
    void applyDefaultCCsToAllTracks();
    void applyDefaultCCsToCurrentPreset() { applyDefaultCCsToAllTracks(); }
    void setUIMaxContentWidth(int width);
    // Per track its selected pattern within its pattern list.
    std::vector<int> currentTrackPatternIndices(const std::vector<model::Track>& tracks) const;
    // Hosted: the transport moves now or moved within the last 0.2 s.
    bool isHostedTransportMoving();
    // Hosted: isHostedTransportMoving(); standalone: the engine plays.
    bool isTransportMoving();

    // ---- MIDI learn (store_midi_learn.cpp) ----
    static constexpr double outgoingCCEchoWindowSeconds = 2.0;
    // Controllers learned one after another are written at most this often.
    static constexpr double learnedMappingsSaveIntervalSeconds = 1.0;
    void cancelMIDILearn();
    void clearMIDILearnMapping(const MIDILearnElement& element);
    void handleIncomingMIDICC(int controller, int value);
    void applyMIDILearnedControl(const MIDILearnElement& element, int value, bool isOn, bool wasHigh);
    void noteOutgoingCCEcho(int controller, int value);
    bool consumeOutgoingCCEcho(int controller, int value);
    void saveMIDILearnMappings();

private:
    // The active track, none without tracks.
    const model::Track* activeTrack() const;
    // The active track's selected pattern, none when the selection names no pattern.
    const model::Pattern* activePattern() const;
    // A track's pattern slot, none when either index is out of range.
    const model::Pattern* patternAt(int track, int slot) const;
    // Releases the active track, then changes every lane of the active pattern in one transaction.
    void transformEveryLane(const std::string& label, const std::function<void(model::Lane&)>& change);
    // One transaction on a launch resolution of the preset, when the normalised value differs.
    void setLaunchResolution(int model::Preset::*field, int resolution, const std::string& label);
    // A confirmation with its fixed texts whose confirm runs the action while the store exists.
    void publishConfirmation(std::string title, std::string message, std::string confirmLabel, std::optional<int> accentColorHex,
                             std::function<void(SequencerStore&)> action);
    // Changes the active pattern in place; nothing when there is none. True when it ran.
    bool modifyActivePattern(const std::function<void(model::Pattern&)>& change);
    // The active pattern within a copy of the preset; only while activePattern() is not none.
    model::Pattern& activePatternIn(model::Preset& copy) const;
    // One transaction with the change, unless it would leave the preset as it is; then
    // nothing is recorded. beforeCommit runs just before the transaction opens (note
    // releases that must travel with its refresh). True when it committed.
    bool commitIfChanged(const std::string& label, const std::function<void(model::Preset&)>& change,
                         const std::function<void()>& beforeCommit = {});
    // The step of a column of the shown page; none outside the page or the four pages.
    std::optional<int> stepOfColumn(int column) const;
    // Writes the selected pattern of a track, creating its entry when absent.
    void setSelectedPattern(const foundation::Uuid& trackID, int pattern);
    int selectedPattern(const model::Track& track) const;
    void addTrackIfBelowLimit(const std::string& label, const std::function<void(std::vector<model::Track>&)>& body);
    // One transaction that changes the active track; nothing without tracks.
    void modifyActiveTrackSetting(const std::string& label, const std::function<void(model::Track&)>& change);
    void publishAlert(std::string title, std::string message);
    // Releases the active track and pushes a chord edit to the engine inside a gesture.
    void pushStepChordNow();
    void stopPatternGenerator303Audition();
    void auditionPatternGenerator303Note(int note);
    int clampedPatternGenerator303Cursor() const;
    void writePatternGenerator303State(PatternGenerator303State state);
    // The pool written, and in scene mode the active scene's chord too.
    void writeNotesPool(model::Preset& copy, std::vector<int> pool) const;
    bool isScene(int index) const;
    void setMIDILearnedFlag(int track, bool isOn, bool model::Track::*flag);
    // A controller learned from the input: written now, or with the next write when one was
    // made less than learnedMappingsSaveIntervalSeconds ago.
    void saveLearnedMIDIMappings();
    double uptime() const;
    void sendMIDI(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void openPatternGenerator303UndoSession();
    void applyTrackPatternSelections(const std::vector<int>& indices);
    void restartArmTimeout(foundation::Timer& timer, bool armed, void (SequencerStore::*clear)());
    void clearPatternArming();
    void clearSceneArming();
    void markSavedEntry() { savedEntry_ = history_.storedSnapshot(history_.index()); }

    StoreServices services_;
    UndoHistory history_;
    // Dialog closures act on the store while it exists, and else do nothing.
    foundation::WeakSelf<SequencerStore> weakSelf_{this};
    foundation::Observable<std::optional<KezModal>> activeModal_{std::nullopt, &didChange};
    foundation::Observable<bool> pinPerformanceDialog_{false, &didChange};
    foundation::Observable<bool> patternCopyToActive_{false, &didChange};
    foundation::Observable<bool> patternSwapWithActive_{false, &didChange};
    foundation::Observable<bool> sceneCopyToActive_{false, &didChange};
    foundation::Observable<bool> sceneSwapWithActive_{false, &didChange};
    foundation::Observable<bool> canUndo_{false, &didChange};
    foundation::Observable<bool> canRedo_{false, &didChange};
    // The history entry last saved or loaded; a save or a load names the preset.
    PresetSnapshot savedEntry_;
    foundation::Connection savedOnNaming_ = currentPresetName.subscribe([this](const std::string& name) {
        if (!name.empty()) markSavedEntry();
    });
    foundation::Timer patternArmTimeoutTimer_;
    foundation::Timer sceneArmTimeoutTimer_;
    foundation::Timer learnedMappingsSaveTimer_;  // a learned controller's write waiting
    double learnedMappingsSavedUptime_ = -std::numeric_limits<double>::infinity();
};

}  // namespace pulvan::store
