#include "editor/model/preset_version.h"

#include <array>
#include <string>

namespace pulvan::model {
namespace {

constexpr std::array<std::string_view, kPresetVersionCount> kVersions{"v1", "v2", "v3", "v4", "v5", "v6", "v7", "v8", "v9", "v10", "v11"};

}  // namespace

int knownPresetVersionIndex(std::string_view text) {
    for (int i = 0; i < kPresetVersionCount; ++i) {
        if (kVersions[static_cast<std::size_t>(i)] == text) return i;
    }
    return kPresetVersionCount;
}

int knownPresetVersionIndexIgnoringCase(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return knownPresetVersionIndex(lowered);
}

std::string_view presetVersionText(int index) {
    if (index < 0 || index >= kPresetVersionCount) return {};
    return kVersions[static_cast<std::size_t>(index)];
}

}  // namespace pulvan::model
