#pragma once

#include "editor/model/preset.h"
#include "editor/model/preset_json.h"

#include <string>

namespace pulvan::library::test {

// A preset document as the program writes it, with a swing that tells copies apart.
inline std::string validPresetJSON(int swingPercent = 50) {
    model::Preset preset = model::defaultPreset();
    preset.swingPercent = swingPercent;
    return model::encodePreset(preset);
}

inline std::string newerPresetJSON() { return R"({"version": "v99", "tracks": []})"; }
inline std::string corruptPresetJSON() { return R"({"version": "v11", "tracks": )"; }

}  // namespace pulvan::library::test
