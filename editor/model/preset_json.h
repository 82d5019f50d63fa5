#pragma once
#include <string>

#include <nlohmann/json.hpp>

#include "editor/model/chord_preset.h"
#include "editor/model/lane.h"
#include "editor/model/pattern.h"
#include "editor/model/preset.h"
#include "editor/model/track.h"

// The JSON coding of the preset. Writing gives the current snake_case form with a fixed key
// order and every clamp applied; reading also accepts the legacy camelCase keys and clamps out
// of range numbers instead of rejecting them. Reading throws DecodingError.
namespace pulvan::model {

nlohmann::ordered_json presetToJson(const Preset& preset);
nlohmann::ordered_json trackToJson(const Track& track);
nlohmann::ordered_json patternToJson(const Pattern& pattern);
nlohmann::ordered_json laneToJson(const Lane& lane);
nlohmann::ordered_json chordPresetToJson(const ChordPreset& chordPreset);

// Reads the document as it stands: no version check, migration or restoring of left-out lanes
// (PresetParser does those).
Preset presetFromJson(const nlohmann::json& json);
Track trackFromJson(const nlohmann::json& json);
// Lanes the writer left out stay missing here; see restoreMissingLanes.
Pattern patternFromJson(const nlohmann::json& json);
Lane laneFromJson(const nlohmann::json& json, LaneKind kind);
ChordPreset chordPresetFromJson(const nlohmann::json& json);

// True when the writer leaves the lane out: it equals its kind's default lane (FIX lanes are
// always written).
bool laneIsLeftOut(const Lane& lane, LaneKind kind);

// Compact text (indent -1) or pretty-printed. Strings that are not valid UTF-8 are written
// with U+FFFD in place of the bad bytes, so encoding never fails.
std::string encodePreset(const Preset& preset, int indent = -1);
std::string dumpJson(const nlohmann::ordered_json& json, int indent = -1);

}  // namespace pulvan::model
