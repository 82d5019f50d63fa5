#include "editor/store/sequencer_store.h"

#include "editor/store/startup_preset.h"
#include "editor/store/stored_preferences.h"

#include <algorithm>

namespace pulvan::store {

SequencerStore::SequencerStore(StoreServices services, std::optional<model::Preset> givenPreset)
    : services_(std::move(services)), history_(model::Preset{}) {
    std::optional<model::Preset> starting = std::move(givenPreset);
    if (!starting) starting = loadDefaultPresetFile();
    if (!starting) {
        const UserPreferences stored = loadStoredUserPreferences(services_.userDefaults);
        starting = makeDefaultPreset(stored.defaultCCA, stored.defaultCCB);
    }
    StartingPreset start = normalizedStartingPreset(std::move(*starting));
    preset.set(std::move(start.preset));
    history_ = UndoHistory(preset.get());
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
    return std::min(std::max(visibleTrackCount() - 1, 0), std::max(activeTrackIndex.get(), 0));
}

void SequencerStore::normalizeActiveTrackIndex() {
    const int target = preset->tracks.empty() ? 0 : clampedActiveTrackIndex();
    if (activeTrackIndex.get() != target) activeTrackIndex.set(target);
}

int SequencerStore::activePatternIndex() const {
    if (preset->tracks.empty()) return 0;
    const auto& track = preset->tracks[static_cast<std::size_t>(clampedActiveTrackIndex())];
    auto it = selections->find(track.id);
    return it == selections->end() ? 0 : it->second.pattern;
}

model::PatternDirection SequencerStore::activePatternDirection() const {
    if (preset->tracks.empty()) return model::PatternDirection::forward;
    const auto& patterns = preset->tracks[static_cast<std::size_t>(clampedActiveTrackIndex())].patterns;
    const int slot = activePatternIndex();
    if (slot < 0 || slot >= static_cast<int>(patterns.size())) return model::PatternDirection::forward;
    return patterns[static_cast<std::size_t>(slot)].direction;
}

}  // namespace pulvan::store
