#pragma once
#include "editor/model/json_reading.h"
#include "editor/model/preset.h"
#include "editor/model/skin.h"

#include <cstdint>
#include <optional>

// The bounds that reading and writing the preset coding both apply.
namespace pulvan::model::coding_bounds {

inline constexpr std::int64_t kMaxMidiValue = 127;
inline constexpr std::int64_t kMaxOutOffsetMs = 200;

inline int clampedMidi(std::int64_t value) { return json_reading::clampedInt(value, 0, kMaxMidiValue); }
inline int clampedColor(std::int64_t value) { return json_reading::clampedInt(value, 0, kMaxColorHex); }
inline int clampedSwing(std::int64_t value) { return json_reading::clampedInt(value, kMinSwingPercent, kMaxSwingPercent); }
inline int clampedOutOffset(std::int64_t value) { return json_reading::clampedInt(value, -kMaxOutOffsetMs, kMaxOutOffsetMs); }

// A scene index inside 0...7, or none.
inline std::optional<int> sceneIndexOrNone(std::int64_t index) {
    if (index < 0 || index >= kSceneCount) return std::nullopt;
    return static_cast<int>(index);
}

}  // namespace pulvan::model::coding_bounds
