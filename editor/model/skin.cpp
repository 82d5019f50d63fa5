#include "editor/model/skin.h"

#include <algorithm>
#include <cstdio>

namespace pulvan::model {
namespace {

int clampedColor(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, 0, kMaxColorHex)); }

}  // namespace

Skin::Skin(std::string name, std::int64_t globalAccentHex, const std::vector<std::int64_t>& trackAccents)
    : name_(std::move(name)),
      globalAccentHex_(clampedColor(globalAccentHex)) {
    trackAccents_.reserve(kSkinTrackAccentCount);
    for (int k = 0; k < kSkinTrackAccentCount; ++k) {
        trackAccents_.push_back(trackAccents.empty() ? 0 : clampedColor(trackAccents[k % trackAccents.size()]));
    }
}

const std::vector<Skin>& builtInSkins() {
    static const std::vector<Skin> skins{
        Skin("Kez default", 0x607594, {0x3DC2D2, 0xDD9DB2, 0x6EA49B, 0xBEA96D, 0xC183BE, 0xCBCACB}),
        Skin("Kez acid", 0x0000FF, {0xFF0000, 0x00FF00, 0x0000FF, 0x660000, 0x006600, 0x000066}),
    };
    return skins;
}

const Skin& defaultSkin() { return builtInSkins().front(); }

int defaultTrackAccent(std::int64_t trackIndex) {
    const auto& accents = defaultSkin().trackAccents();
    if (accents.empty()) return 0;
    const auto count = static_cast<std::int64_t>(accents.size());
    const std::int64_t wrapped = ((trackIndex % count) + count) % count;
    return accents[static_cast<std::size_t>(wrapped)];
}

std::string hexString(std::int64_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(clampedColor(value)));
    return text;
}

}  // namespace pulvan::model
