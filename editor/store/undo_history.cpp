#include "editor/store/undo_history.h"

#include <utility>

namespace pulvan::store {

UndoHistory::UndoHistory(const model::Preset& initial) { entries_.push_back({PresetSnapshot::capture(initial), "initial", std::nullopt}); }

void UndoHistory::pushUndoSnapshot(const model::Preset& preset, std::string label, std::optional<SelectionState> selectionsBefore) {
    const PresetSnapshot& current = entries_[static_cast<std::size_t>(index_)].snapshot;
    PresetSnapshot snapshot = PresetSnapshot::capture(preset, &current);
    entries_.erase(entries_.begin() + index_ + 1, entries_.end());
    entries_.push_back({std::move(snapshot), std::move(label), std::move(selectionsBefore)});
    ++index_;
    while (count() > limit) {
        entries_.pop_front();
        --index_;
    }
}

std::optional<model::Preset> UndoHistory::stepBack() {
    if (!canUndo()) return std::nullopt;
    --index_;
    return snapshot(index_);
}

std::optional<model::Preset> UndoHistory::stepForward() {
    if (!canRedo()) return std::nullopt;
    ++index_;
    return snapshot(index_);
}

std::optional<SelectionState> UndoHistory::tradeSelectionsAcross(int entry, SelectionState shown) {
    auto& across = entries_.at(static_cast<std::size_t>(entry)).selectionsAcross;
    if (!across) return std::nullopt;
    std::swap(*across, shown);
    return shown;
}

bool UndoHistory::standsAt(const model::Preset& preset) const {
    const PresetSnapshot& current = entries_[static_cast<std::size_t>(index_)].snapshot;
    return PresetSnapshot::capture(preset, &current).sharesEverythingWith(current);
}

std::vector<std::string> UndoHistory::labels() const {
    std::vector<std::string> list;
    list.reserve(entries_.size());
    for (const auto& entry : entries_) list.push_back(entry.label);
    return list;
}

}  // namespace pulvan::store
