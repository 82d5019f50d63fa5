#pragma once
#include "editor/model/chord_preset.h"
#include "editor/model/preset.h"

#include <optional>
#include <vector>

namespace pulvan::store {

// The default preset with every track's CC A and CC B controller numbers set
// (each clamped to 0...127).
model::Preset makeDefaultPreset(int defaultCCA, int defaultCCB);

// Exactly 8 chord scenes: more keep the first 8, fewer are filled with empty scenes.
std::vector<model::ChordPreset> normalizedChordPresets(std::vector<model::ChordPreset> scenes);

struct StartingPreset {
    model::Preset preset;
    int startScene = 0;
};

// The starting preset brought within bounds: 8 scenes, swing 50...75, launch
// resolutions 1, 4, 8 or 16, and the notes pool and current scene made to agree
// with the notes-pool input.
StartingPreset normalizedStartingPreset(model::Preset preset);

}  // namespace pulvan::store
