#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pulvan::model {

inline constexpr int kSkinTrackAccentCount = 6;
inline constexpr std::int64_t kMaxColorHex = 0xFFFFFF;

// A named colour set: one global accent and exactly six track accents, all 0xRRGGBB.
class Skin {
public:
    // Colours are clamped to 0...0xFFFFFF; the palette is cut to six or repeated up to six
    // (an empty one becomes six zeros).
    Skin(std::string name, std::int64_t globalAccentHex, const std::vector<std::int64_t>& trackAccents);

    const std::string& name() const { return name_; }
    int globalAccentHex() const { return globalAccentHex_; }
    const std::vector<int>& trackAccents() const { return trackAccents_; }

    friend bool operator==(const Skin&, const Skin&) = default;

private:
    std::string name_;
    int globalAccentHex_;
    std::vector<int> trackAccents_;
};

// "Kez default" then "Kez acid"; never empty.
const std::vector<Skin>& builtInSkins();
// The first built-in skin.
const Skin& defaultSkin();
// The default skin's accent for track i, the index wrapped so that negative ones land inside too.
int defaultTrackAccent(std::int64_t trackIndex);

// The colour clamped to 0...0xFFFFFF as six upper-case hex digits without a prefix: "3DC2D2".
std::string hexString(std::int64_t value);

}  // namespace pulvan::model
