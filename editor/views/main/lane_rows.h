#pragma once
// What every lane row reads of the store: the step under a column of the shown page and a gesture's edit
// transaction.
#include "editor/store/sequencer_store.h"
#include "platform/ui/view.h"

#include <string>

namespace pulvan::views {

// Column 0...15 of the shown page as a step of the pattern.
int stepOfColumn(const store::SequencerStore& store, int column);

// The value of a step, 0 outside the lane's steps.
int stepValue(const model::Lane& lane, int step);

// Whether the step lies at or past the lane's last step.
bool isPastLastStep(const model::Lane& lane, int step);

// Lane kinds by their stored names: "Paint gate", "Edit cc_a".
std::string laneLabel(const char* verb, model::LaneKind kind);

// Dimmed only below full opacity: an opacity group costs an offscreen surface, and rows draw many cells.
inline ui::View dimmed(ui::View view, double opacity) { return opacity < 1 ? view.opacity(opacity) : view; }

// The start of a paint on a lane: with a last-step pick armed the press sets the lane's last step and
// false is returned; else the paint's transaction opens and painting is set.
bool beginLanePaint(store::SequencerStore& store, model::LaneKind kind, int column, const ui::State<bool>& painting,
                    const std::string& label);

}  // namespace pulvan::views
