#include "editor/store/startup_preset.h"

#include <algorithm>
#include <string_view>

namespace pulvan::store {

model::Preset makeDefaultPreset(int defaultCCA, int defaultCCB) {
    model::Preset preset = model::defaultPreset();
    for (auto& track : preset.tracks) {
        track.ccA = std::clamp(defaultCCA, 0, 127);
        track.ccB = std::clamp(defaultCCB, 0, 127);
    }
    return preset;
}

std::vector<model::ChordPreset> normalizedChordPresets(std::vector<model::ChordPreset> scenes) {
    scenes.resize(model::kSceneCount);
    return scenes;
}

StartingPreset normalizedStartingPreset(model::Preset preset) {
    preset.chordPresets = normalizedChordPresets(std::move(preset.chordPresets));
    preset.swingPercent = std::clamp(preset.swingPercent, model::kMinSwingPercent, model::kMaxSwingPercent);
    preset.sceneLaunchResolution = model::normalizedLaunchResolution(preset.sceneLaunchResolution);
    preset.patternLaunchResolution = model::normalizedLaunchResolution(preset.patternLaunchResolution);
    int startScene = 0;
    if (preset.notesPoolInput == model::NotesPoolInput::midiIn) {
        preset.notesPool.clear();
        preset.currentSceneIndex.reset();
    } else {
        const auto current = preset.currentSceneIndex;
        if (current && *current >= 0 && *current < model::kSceneCount && *current < static_cast<int>(preset.chordPresets.size())) {
            startScene = *current;
        }
        preset.currentSceneIndex = startScene;
        preset.notesPool = preset.chordPresets[static_cast<std::size_t>(startScene)].chord;
    }
    return {std::move(preset), startScene};
}

}  // namespace pulvan::store
