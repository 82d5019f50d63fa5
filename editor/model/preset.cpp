#include "editor/model/preset.h"

#include "editor/model/skin.h"

#include <algorithm>

namespace pulvan::model {
namespace {

Track firstTrack() {
    Track track;
    track.name = "Track 1";
    track.accentColorHex = defaultTrackAccent(0);
    track.patterns.assign(kPatternsPerTrack, defaultPattern());
    return track;
}

}  // namespace

Preset defaultPreset() {
    Preset preset;
    preset.chordPresets.resize(kSceneCount);
    preset.chordPresets.front().chord = {60, 64, 67};
    preset.tracks.push_back(firstTrack());
    return preset;
}

std::optional<std::vector<int>> normalizedPatternIndices(const std::optional<std::vector<int>>& indices, std::int64_t trackCount) {
    if (!indices) return std::nullopt;
    const auto count = static_cast<std::size_t>(std::clamp<std::int64_t>(trackCount, 0, kMaxTracks));
    std::vector<int> normalized(*indices);
    normalized.resize(count, 0);
    for (int& index : normalized) index = std::clamp(index, 0, kPatternsPerTrack - 1);
    return normalized;
}

int normalizedLaunchResolution(std::int64_t resolution) {
    switch (resolution) {
        case 1:
        case 4:
        case 8:
        case 16: return static_cast<int>(resolution);
        default: return 16;
    }
}

}  // namespace pulvan::model
