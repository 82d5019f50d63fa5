#pragma once

#include "editor/library/preset_paths.h"
#include "editor/model/lane.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Chord-progression documents in the "ChordProgressions" folder.
namespace pulvan::library {

// Decoded names of the stored progressions in plain ascending order.
std::vector<std::string> chordProgressionPresetNames();

// Writes {"version": "v1", "chords": <8 normalised chords>} under the name, replacing a
// progression of the same name in another letter case; false when there is no Library
// folder or the write fails.
bool writeChordProgressionPresetFile(std::string_view name, const std::vector<model::Chord>& chords);

// Whether the progression's file name fits in the progressions' folder.
bool chordProgressionFileNameFits(std::string_view name);

// The 8 chords stored under the name (as listed), none when missing or not a progression.
std::optional<std::vector<model::Chord>> readChordProgressionPresetFile(std::string_view name);

// Removes the progression stored under the name; false when there is none or it cannot
// be removed.
bool deleteChordProgressionPresetFile(std::string_view name);

}  // namespace pulvan::library
