#pragma once
#include "editor/model/pattern.h"
#include "editor/model/preset.h"

#include <memory>
#include <vector>

namespace pulvan::store {

// An immutable copy of a preset that shares its unchanged parts with an earlier
// snapshot: a pattern equal to the one at the same place in the basis is kept
// by reference, so one edit's snapshot costs a comparison and a copy of only
// what the edit changed.
class PresetSnapshot {
public:
    static PresetSnapshot capture(const model::Preset& preset, const PresetSnapshot* basis = nullptr);

    // The whole preset again.
    model::Preset preset() const;

    // True when the snapshot was captured from an equal preset with this basis:
    // it shares every part of it.
    bool sharesEverythingWith(const PresetSnapshot& other) const;
    bool sharesPatternWith(const PresetSnapshot& other, std::size_t track, std::size_t pattern) const;

private:
    // The preset with every track's patterns left out.
    std::shared_ptr<const model::Preset> shell_;
    // patterns_[track][slot]
    std::vector<std::vector<std::shared_ptr<const model::Pattern>>> patterns_;
};

}  // namespace pulvan::store
