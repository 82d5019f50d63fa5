#include "editor/model/chord_preset.h"

namespace pulvan::model {

std::vector<std::optional<int>> normalizedScenePatterns(std::vector<std::optional<int>> patterns) {
    patterns.resize(kScenePatternSlots);
    for (auto& entry : patterns) {
        if (entry && (*entry < 1 || *entry > 8)) entry.reset();
    }
    return patterns;
}

}  // namespace pulvan::model
