#pragma once
// The large editor of the lane the sidebar selects: values painted step by step, a step reset by a
// double click, the lane by a triple click; on a poly track the NOTES lane edits chords note by note.
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

// A press on a chord note being dragged to another row.
struct PolyDragState {
    int column = 0;
    int value = 0;  // the chord row dragged, 0...11
    bool startedOccupied = false;
    bool moved = false;
    int lastTargetValue = 0;
    bool hidesDraggedNote = false;  // over another note of the chord: the dragged one is not drawn
    friend bool operator==(const PolyDragState&, const PolyDragState&) = default;
};

struct TallLane : ui::ViewModifiers<TallLane> {
    static constexpr double height = 292;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
