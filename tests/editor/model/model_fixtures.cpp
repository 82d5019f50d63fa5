#include "tests/editor/model/model_fixtures.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pulvan::model::test {

std::string readFixture(std::string_view name) {
    const std::string path = std::string(PULVAN_MODEL_FIXTURE_DIR) + "/" + std::string(name);
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("missing fixture " + path);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::vector<std::string> fixtureNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PULVAN_MODEL_FIXTURE_DIR)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

Preset fullPreset() {
    Preset preset = defaultPreset();
    preset.tracks.resize(kMaxTracks, preset.tracks.front());
    for (std::size_t t = 0; t < preset.tracks.size(); ++t) {
        Track& track = preset.tracks[t];
        track.id = foundation::Uuid::random();
        track.name = "Track " + std::to_string(t + 1);
        for (std::size_t p = 0; p < track.patterns.size(); ++p) {
            for (auto& [kind, lane] : track.patterns[p].lanes) {
                lane.lastStep = static_cast<int>(1 + (t * 8 + p) % kMaxLaneSteps);
                for (std::size_t i = 0; i < lane.steps.size(); ++i) lane.steps[i] = static_cast<int>((i * 7 + p) % 100);
                if (kind != LaneKind::notes) continue;
                for (std::size_t i = 0; i < lane.steps.size(); ++i) {
                    lane.setChord({lane.steps[i], lane.steps[i] + 3, lane.steps[i] + 7}, static_cast<int>(i));
                }
            }
        }
    }
    preset.currentTrackPatternIndices = std::vector<int>{0, 1, 2, 3, 4, 5};
    return preset;
}

}  // namespace pulvan::model::test
