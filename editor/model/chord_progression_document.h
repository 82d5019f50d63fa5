#pragma once
#include "editor/model/lane.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pulvan::model {

inline constexpr int kProgressionChordCount = 8;

// A chord progression preset file: {"version": ..., "chords": [[...], ...]}.
struct ChordProgressionPresetDocument {
    std::string version;
    std::vector<Chord> chords;

    friend bool operator==(const ChordProgressionPresetDocument&, const ChordProgressionPresetDocument&) = default;
};

// Both keys required, the version not checked. Throws DecodingError.
ChordProgressionPresetDocument decodeChordProgressionPresetDocument(std::string_view data);
// "version" then "chords".
std::string encodeChordProgressionPresetDocument(const ChordProgressionPresetDocument& document);

// The 8 chords of a progression file: the document, else a bare array of arrays of integers,
// else nothing; passed through buildChordProgressionChords.
std::optional<std::vector<Chord>> decodeChordProgressionPreset(std::string_view data);

// Exactly 8 chords: the first 8, each clamped to 0...127, without repeats, ascending; padded
// with empty chords.
std::vector<Chord> buildChordProgressionChords(const std::vector<Chord>& chords);

}  // namespace pulvan::model
