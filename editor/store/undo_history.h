#pragma once
#include "editor/model/preset.h"
#include "editor/store/preset_snapshot.h"
#include "editor/store/selection_state.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::store {

// Labelled snapshots of the preset, oldest first, with the position of the one
// that equals the current preset. Holds at least one and at most `limit`.
class UndoHistory {
public:
    static constexpr int limit = 50;

    // A fresh history: the preset labelled "initial".
    explicit UndoHistory(const model::Preset& initial);

    // Records the preset under the label after the current entry, dropping the
    // redo tail and then the oldest entries beyond the limit. An unchanged preset
    // is recorded too: callers that may change nothing test before they edit.
    // An edit that replaced the selections with the preset (a whole new document)
    // gives the ones shown before it.
    void pushUndoSnapshot(const model::Preset& preset, std::string label, std::optional<SelectionState> selectionsBefore = std::nullopt);

    // Move one entry back or forward and give that entry's preset; none at either end.
    std::optional<model::Preset> stepBack();
    std::optional<model::Preset> stepForward();

    // Stepping across an entry that replaced the selections (back from it, or forward
    // onto it) gives the selections of the other side, none for any other entry. The
    // entry keeps the ones shown now, so the way back returns to them.
    std::optional<SelectionState> tradeSelectionsAcross(int entry, SelectionState shown);

    // True when the current entry holds this preset.
    bool standsAt(const model::Preset& preset) const;

    int index() const { return index_; }
    int count() const { return static_cast<int>(entries_.size()); }
    bool canUndo() const { return index_ > 0; }
    bool canRedo() const { return index_ < count() - 1; }
    const std::string& label(int i) const { return entries_.at(static_cast<std::size_t>(i)).label; }
    std::vector<std::string> labels() const;
    model::Preset snapshot(int i) const { return entries_.at(static_cast<std::size_t>(i)).snapshot.preset(); }
    const PresetSnapshot& storedSnapshot(int i) const { return entries_.at(static_cast<std::size_t>(i)).snapshot; }

private:
    struct Entry {
        PresetSnapshot snapshot;
        std::string label;
        std::optional<SelectionState> selectionsAcross;
    };
    std::deque<Entry> entries_;
    int index_ = 0;
};

}  // namespace pulvan::store
