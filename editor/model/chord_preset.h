#pragma once
#include <optional>
#include <vector>

namespace pulvan::model {

inline constexpr int kScenePatternSlots = 6;

// One chord scene: its chord and, per track slot, a pattern number 1...8 to switch to or none.
struct ChordPreset {
    std::vector<int> chord;
    std::vector<std::optional<int>> patterns = std::vector<std::optional<int>>(kScenePatternSlots);

    friend bool operator==(const ChordPreset&, const ChordPreset&) = default;
};

// Exactly 6 entries (cut or padded with none); entries outside 1...8 become none.
std::vector<std::optional<int>> normalizedScenePatterns(std::vector<std::optional<int>> patterns);

}  // namespace pulvan::model
