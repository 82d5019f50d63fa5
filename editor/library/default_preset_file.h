#pragma once
#include "editor/model/preset.h"

#include <optional>

namespace pulvan::library {

// The preset file "Default" of the preset home folder, parsed; none when it is
// missing, unreadable or does not parse.
std::optional<model::Preset> readDefaultPresetFile();

}  // namespace pulvan::library
