#include "editor/store/sequencer_store.h"

#include "editor/store/startup_preset.h"
#include "editor/store/stored_preferences.h"

#include <algorithm>

namespace pulvan::store {

SequencerStore::SequencerStore(StoreServices services, std::optional<model::Preset> givenPreset)
    : services_(std::move(services)),
      history_(model::Preset{}) {
    std::optional<model::Preset> starting = std::move(givenPreset);
    if (!starting && services_.defaultPresetFile) starting = services_.defaultPresetFile();
    if (!starting) {
        const UserPreferences stored = loadStoredUserPreferences(services_.userDefaults);
        starting = makeDefaultPreset(stored.defaultCCA, stored.defaultCCB);
    }
    StartingPreset start = normalizedStartingPreset(std::move(*starting));
    preset.set(std::move(start.preset));
    history_ = UndoHistory(preset.get());
    markSavedEntry();
    activeSceneIndex.set(start.startScene);
    if (const auto& indices = preset->currentTrackPatternIndices) applyTrackPatternSelections(*indices);
    loadUserPreferences();
    loadMIDILearnMappings();
}

void SequencerStore::applyTrackPatternSelections(const std::vector<int>& indices) {
    const auto& tracks = preset->tracks;
    selections.modify([&](std::map<foundation::Uuid, TrackSelection>& map) {
        for (std::size_t i = 0; i < indices.size() && i < tracks.size(); ++i) {
            const int patternCount = static_cast<int>(tracks[i].patterns.size());
            map[tracks[i].id] = TrackSelection{std::clamp(indices[i], 0, std::max(patternCount - 1, 0)), 0};
        }
    });
}

int SequencerStore::visibleTrackCount() const { return std::min(static_cast<int>(preset->tracks.size()), model::kMaxTracks); }

int SequencerStore::clampedActiveTrackIndex() const {
    if (preset->tracks.empty()) return 0;
    return std::clamp(activeTrackIndex.get(), 0, visibleTrackCount() - 1);
}

void SequencerStore::normalizeActiveTrackIndex() {
    const int target = clampedActiveTrackIndex();
    if (activeTrackIndex.get() != target) activeTrackIndex.set(target);
}

int SequencerStore::activePatternIndex() const {
    const model::Track* track = activeTrack();
    return track ? selectedPattern(*track) : 0;
}

model::PatternDirection SequencerStore::activePatternDirection() const {
    const model::Pattern* pattern = activePattern();
    return pattern ? pattern->direction : model::PatternDirection::forward;
}

const model::Track* SequencerStore::activeTrack() const {
    if (preset->tracks.empty()) return nullptr;
    return &preset->tracks[static_cast<std::size_t>(clampedActiveTrackIndex())];
}

const model::Pattern* SequencerStore::activePattern() const {
    return activeTrack() ? patternAt(clampedActiveTrackIndex(), activePatternIndex()) : nullptr;
}

const model::Pattern* SequencerStore::patternAt(int track, int slot) const {
    const auto& tracks = preset->tracks;
    if (track < 0 || track >= static_cast<int>(tracks.size())) return nullptr;
    const auto& patterns = tracks[static_cast<std::size_t>(track)].patterns;
    if (slot < 0 || slot >= static_cast<int>(patterns.size())) return nullptr;
    return &patterns[static_cast<std::size_t>(slot)];
}

bool SequencerStore::modifyActivePattern(const std::function<void(model::Pattern&)>& change) {
    if (!activePattern()) return false;
    const auto track = static_cast<std::size_t>(clampedActiveTrackIndex());
    const auto slot = static_cast<std::size_t>(activePatternIndex());
    preset.modify([&](model::Preset& p) { change(p.tracks[track].patterns[slot]); });
    return true;
}

model::Pattern& SequencerStore::activePatternIn(model::Preset& copy) const {
    return copy.tracks[static_cast<std::size_t>(clampedActiveTrackIndex())].patterns[static_cast<std::size_t>(activePatternIndex())];
}

bool SequencerStore::commitIfChanged(const std::string& label, const std::function<void(model::Preset&)>& change,
                                     const std::function<void()>& beforeCommit) {
    model::Preset edited = preset.get();
    change(edited);
    if (edited == preset.get()) return false;
    if (beforeCommit) beforeCommit();
    beginTransaction(label);
    preset.set(std::move(edited));
    endTransaction();
    return true;
}

std::optional<int> SequencerStore::stepOfColumn(int column) const {
    const int page = activePageIndex();
    if (column < 0 || column >= stepsPerPage || page < 0 || page >= pageCount) return std::nullopt;
    return column + stepsPerPage * page;
}

int SequencerStore::selectedPattern(const model::Track& track) const {
    const auto it = selections->find(track.id);
    return it == selections->end() ? 0 : it->second.pattern;
}

void SequencerStore::setSelectedPattern(const foundation::Uuid& trackID, int pattern) {
    selections.modify([&](std::map<foundation::Uuid, TrackSelection>& map) { map[trackID].pattern = pattern; });
}

bool SequencerStore::isScene(int index) const { return index >= 0 && index < static_cast<int>(preset->chordPresets.size()); }

SequencerStore::~SequencerStore() {
    if (learnedMappingsSaveTimer_.isActive()) saveMIDILearnMappings();
}

double SequencerStore::uptime() const { return services_.mainQueue.clock().systemUptime(); }

void SequencerStore::publishAlert(std::string title, std::string message) {
    DialogRequest request;
    request.kind = DialogRequest::Kind::alert;
    request.title = std::move(title);
    request.message = std::move(message);
    request.confirmLabel = "OK";
    request.cancelLabel = "Cancel";
    dialog.set(std::move(request));
}

void SequencerStore::publishConfirmation(std::string title, std::string message, std::string confirmLabel,
                                         std::optional<int> accentColorHex, std::function<void(SequencerStore&)> action) {
    DialogRequest request;
    request.kind = DialogRequest::Kind::confirm;
    request.title = std::move(title);
    request.message = std::move(message);
    request.confirmLabel = std::move(confirmLabel);
    request.cancelLabel = "Cancel";
    request.accentColorHexOverride = accentColorHex;
    request.onConfirm = weakSelf_.weakly([action = std::move(action)](SequencerStore& store, const std::string&) { action(store); });
    dialog.set(std::move(request));
}

}  // namespace pulvan::store
