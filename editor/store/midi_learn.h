#pragma once
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pulvan::store {

// A learnable control: a scene (0...7), or CC A, CC B, mute or solo of a track (0...5).
struct MIDILearnElement {
    enum class Kind { scene, trackCCA, trackCCB, mute, solo };
    Kind kind = Kind::scene;
    int index = 0;

    static MIDILearnElement scene(int i) { return {Kind::scene, i}; }
    static MIDILearnElement trackCCA(int i) { return {Kind::trackCCA, i}; }
    static MIDILearnElement trackCCB(int i) { return {Kind::trackCCB, i}; }
    static MIDILearnElement mute(int i) { return {Kind::mute, i}; }
    static MIDILearnElement solo(int i) { return {Kind::solo, i}; }

    // "scene_1", "track_6_cc_b", "mute_2", ... (the index counted from 1).
    std::string storageKey() const;

    friend bool operator==(const MIDILearnElement&, const MIDILearnElement&) = default;
    friend auto operator<=>(const MIDILearnElement&, const MIDILearnElement&) = default;
};

// The 32 learnable elements: the eight scenes, then CC A, CC B, mute and solo of each track.
const std::vector<MIDILearnElement>& allLearnableElements();
// The element of a storage key, none for any other text.
std::optional<MIDILearnElement> learnableElement(std::string_view storageKey);

// The learned controller number of each element (the store keeps 1...127).
struct MIDILearnMappings {
    std::map<MIDILearnElement, int> ccByElement;

    // Every element learned to that controller, in the map's order.
    std::vector<MIDILearnElement> elements(int forCC) const;
    // One (storage key, controller) pair per entry.
    std::vector<std::pair<std::string, int>> storageForm() const;

    friend bool operator==(const MIDILearnMappings&, const MIDILearnMappings&) = default;
};

}  // namespace pulvan::store
