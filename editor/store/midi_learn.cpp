#include "editor/store/midi_learn.h"

#include <unordered_map>

namespace pulvan::store {

std::string MIDILearnElement::storageKey() const {
    const std::string n = std::to_string(index + 1);
    switch (kind) {
        case Kind::scene: return "scene_" + n;
        case Kind::trackCCA: return "track_" + n + "_cc_a";
        case Kind::trackCCB: return "track_" + n + "_cc_b";
        case Kind::mute: return "mute_" + n;
        case Kind::solo: return "solo_" + n;
    }
    return {};
}

const std::vector<MIDILearnElement>& allLearnableElements() {
    static const std::vector<MIDILearnElement> elements = [] {
        std::vector<MIDILearnElement> list;
        for (int s = 0; s < 8; ++s) list.push_back(MIDILearnElement::scene(s));
        for (int t = 0; t < 6; ++t) {
            list.push_back(MIDILearnElement::trackCCA(t));
            list.push_back(MIDILearnElement::trackCCB(t));
            list.push_back(MIDILearnElement::mute(t));
            list.push_back(MIDILearnElement::solo(t));
        }
        return list;
    }();
    return elements;
}

std::optional<MIDILearnElement> learnableElement(std::string_view storageKey) {
    static const std::unordered_map<std::string, MIDILearnElement> byKey = [] {
        std::unordered_map<std::string, MIDILearnElement> table;
        for (const auto& element : allLearnableElements()) table.emplace(element.storageKey(), element);
        return table;
    }();
    auto it = byKey.find(std::string(storageKey));
    if (it == byKey.end()) return std::nullopt;
    return it->second;
}

std::vector<MIDILearnElement> MIDILearnMappings::elements(int forCC) const {
    std::vector<MIDILearnElement> found;
    for (const auto& [element, cc] : ccByElement) {
        if (cc == forCC) found.push_back(element);
    }
    return found;
}

std::vector<std::pair<std::string, int>> MIDILearnMappings::storageForm() const {
    std::vector<std::pair<std::string, int>> pairs;
    for (const auto& [element, cc] : ccByElement) pairs.emplace_back(element.storageKey(), cc);
    return pairs;
}

}  // namespace pulvan::store
