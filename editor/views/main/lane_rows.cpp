#include "editor/views/main/lane_rows.h"

namespace pulvan::views {

int stepOfColumn(const store::SequencerStore& store, int column) {
    return column + store::SequencerStore::stepsPerPage * store.activePageIndex();
}

int stepValue(const model::Lane& lane, int step) {
    if (step < 0 || step >= static_cast<int>(lane.steps.size())) return 0;
    return lane.steps[static_cast<std::size_t>(step)];
}

bool isPastLastStep(const model::Lane& lane, int step) { return step + 1 > lane.lastStep; }

std::string laneLabel(const char* verb, model::LaneKind kind) { return std::string(verb) + " " + std::string(model::rawValue(kind)); }

bool beginLanePaint(store::SequencerStore& store, model::LaneKind kind, int column, const ui::State<bool>& painting,
                    const std::string& label) {
    if (store.lastStepMode.get()) {
        painting.set(false);
        store.setLastStep(kind, column);
        return false;
    }
    painting.set(true);
    store.beginTransaction(label);
    return true;
}

}  // namespace pulvan::views
