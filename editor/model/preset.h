#pragma once
#include "editor/model/chord_preset.h"
#include "editor/model/notes_pool_input.h"
#include "editor/model/track.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::model {

inline constexpr int kMinSwingPercent = 50;
inline constexpr int kMaxSwingPercent = 75;
inline constexpr int kSceneCount = 8;
inline constexpr int kMaxTracks = 6;

// The whole musical document.
struct Preset {
    std::string version = "v11";
    NotesPoolInput notesPoolInput = NotesPoolInput::internalChord;
    std::vector<int> notesPool;
    int swingPercent = kMinSwingPercent;
    std::optional<int> currentSceneIndex = 0;                    // 0...7 or none
    std::optional<std::vector<int>> currentTrackPatternIndices;  // one 0...7 per track
    int sceneLaunchResolution = 1;                               // 1, 4, 8 or 16
    int patternLaunchResolution = 1;                             // 1, 4, 8 or 16
    bool resyncOnNewScene = false;
    std::vector<ChordPreset> chordPresets;
    std::vector<Track> tracks;

    friend bool operator==(const Preset&, const Preset&) = default;
};

// Version "v11", one track "Track 1" with a new identifier and 8 default patterns, 8 scenes of
// which the first holds [60, 64, 67].
Preset defaultPreset();

// None stays none; otherwise cut or padded with 0 to trackCount (held to 0...6), entries
// clamped to 0...7.
std::optional<std::vector<int>> normalizedPatternIndices(const std::optional<std::vector<int>>& indices, std::int64_t trackCount);

// 1, 4, 8 and 16 stay; anything else becomes 16.
int normalizedLaunchResolution(std::int64_t resolution);

}  // namespace pulvan::model
