#pragma once
#include "editor/model/chord_preset.h"
#include "editor/model/json_writer.h"
#include "editor/model/lane.h"
#include "editor/model/pattern.h"
#include "editor/model/preset.h"
#include "editor/model/track.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The JSON coding of the preset. Writing gives the current snake_case form with a fixed key
// order and every clamp applied; reading also accepts the legacy camelCase keys and clamps out
// of range numbers instead of rejecting them. Reading throws DecodingError.
namespace pulvan::model {

// Compact text. Strings that are not valid UTF-8 are written with U+FFFD in place of the bad
// bytes, so encoding never fails.
std::string encodePreset(const Preset& preset);
std::string encodePattern(const Pattern& pattern);

// Encodes the same preset again and again, as the editor does after every edit: each pattern's
// text is kept with a copy of the pattern it was made from, and only patterns that differ from
// the copy at their place are encoded again. The bytes are always those of a full encode.
class PresetEncoder {
public:
    // encodePreset(preset).
    std::string encode(const Preset& preset);
    // The document kept in the host's project and in preset files: the preset with version
    // "v11", an empty notes pool and the given scene and pattern indices.
    std::string encodeStored(const Preset& preset, std::optional<int> currentSceneIndex,
                             const std::vector<int>& currentTrackPatternIndices);

private:
    struct Piece {
        Pattern pattern;
        std::string text;
        bool encoded = false;
    };
    const std::string& patternText(std::size_t track, std::size_t slot, const Pattern& pattern);
    std::string encodeWith(const Preset& preset, std::string_view version, const std::vector<int>& notesPool,
                           std::optional<int> currentSceneIndex, const std::optional<std::vector<int>>& currentTrackPatternIndices);

    std::vector<std::vector<Piece>> pieces_;  // [track][pattern slot]
    std::size_t lastSize_ = 0;
};

void writePreset(JsonWriter& writer, const Preset& preset);
void writeTrack(JsonWriter& writer, const Track& track);
void writePattern(JsonWriter& writer, const Pattern& pattern);
void writeLane(JsonWriter& writer, const Lane& lane);
void writeChordPreset(JsonWriter& writer, const ChordPreset& chordPreset);

// Reading a document already held in memory as nlohmann-json values, by the same rules as
// PresetParser reads text (for tests and tools that build documents in memory). Throws
// DecodingError. presetFromJson reads the document as it stands: no version check, migration
// or restoring of left-out lanes (parsePresetJson does those, as PresetParser::parse).
Preset parsePresetJson(const nlohmann::json& json);
Preset presetFromJson(const nlohmann::json& json);
Track trackFromJson(const nlohmann::json& json);
// Lanes the writer left out stay missing here; see restoreMissingLanes.
Pattern patternFromJson(const nlohmann::json& json);
Lane laneFromJson(const nlohmann::json& json, LaneKind kind);
ChordPreset chordPresetFromJson(const nlohmann::json& json);

// True when the writer leaves the lane out: it equals its kind's default lane (FIX lanes are
// always written).
bool laneIsLeftOut(const Lane& lane, LaneKind kind);

}  // namespace pulvan::model
