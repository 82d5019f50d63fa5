#include "editor/views/main/tall_lane.h"

#include "editor/views/main/bar_cell.h"
#include "editor/views/main/lane_config.h"
#include "editor/views/main/lane_rows.h"
#include "editor/views/main/step_strip.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/editor_helpers.h"
#include "editor/views/shell/environment_keys.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;
using model::LaneKind;
using store::SequencerStore;

namespace {

struct LaneContext {
    SequencerStore* store;
    LaneKind kind;
    LaneConfig config;
    Color accent;

    bool isInactive(int column) const { return isPastLastStep(store->activeLaneFor(kind), stepOfColumn(*store, column)); }
    BarCell cell(int column, std::optional<std::vector<int>> blockValues = std::nullopt) const {
        return BarCell{
            .value = stepValue(store->activeLaneFor(kind), stepOfColumn(*store, column)),
            .config = config,
            .laneKind = kind,
            .accent = accent,
            .eventOpacity = store->isStepGatedOff(kind, column) ? 0.5 : 1.0,
            .blockValues = std::move(blockValues),
            .gridThreshold = 12,
        };
    }
};

StepStrip valueEditor(const LaneContext& lane, State<bool> painting) {
    SequencerStore* s = lane.store;
    const LaneKind k = lane.kind;
    const auto valueAt = [config = lane.config](Point p, Size size) { return laneValueAtFraction(config, 1 - p.y / size.height); };
    // A double or triple click arrives after its press has started a paint: that paint ends first, and
    // the moves until the release are ignored, so the click's action is its own undo entry and stays.
    const auto endPaint = [s, painting] {
        if (!painting.get()) return;
        painting.set(false);
        s->endGestureTransaction();
    };
    return StepStrip{
        .playheadKind = k,
        .onDragStart =
            [s, k, painting, valueAt](int column, Point p, Size size) {
                if (!beginLanePaint(*s, k, column, painting, laneLabel("Edit", k))) return;
                if (size.height > 0) s->setLaneStepValue(k, column, valueAt(p, size));
            },
        .onDragChange =
            [s, k, painting, valueAt](int column, Point p, Size size) {
                if (painting.get() && size.height > 0) s->setLaneStepValue(k, column, valueAt(p, size));
            },
        .onDragEnd = endPaint,
        .onDoubleTap =
            [s, k, endPaint](int column) {
                endPaint();
                if (s->lastStepMode.get()) return;
                s->beginTransaction(laneLabel("Edit", k));
                s->setLaneStepValue(k, column, model::defaultStepValue(k));
                s->endGestureTransaction();
            },
        .onTripleTap =
            [s, k, endPaint](int) {
                endPaint();
                if (!s->lastStepMode.get()) s->resetLane(k);
            },
        .isInactive = [lane](int column) { return lane.isInactive(column); },
        .cell = [lane](int column) -> View { return lane.cell(column); },
    };
}

StepStrip chordEditor(const LaneContext& lane, State<std::optional<PolyDragState>> drag) {
    SequencerStore* s = lane.store;
    const auto shownChord = [lane, drag](int column) {
        model::Chord chord = lane.store->activeLaneFor(LaneKind::notes).chordNotes(stepOfColumn(*lane.store, column));
        const auto& d = drag.get();
        if (d && d->hidesDraggedNote && d->column == column) {
            model::Chord without = chord;
            std::erase(without, d->value);
            if (!without.empty()) return without;
        }
        return chord;
    };
    return StepStrip{
        .playheadKind = LaneKind::notes,
        .onDragStart =
            [s, drag](int column, Point p, Size size) {
                if (s->lastStepMode.get()) {
                    drag.set(std::nullopt);
                    s->setLastStep(LaneKind::notes, column);
                    return;
                }
                const int row = semitoneRowAtY(p.y, size.height);
                const bool occupied = s->notesStepContains(column, row);
                s->beginTransaction("Edit notes");
                drag.set(PolyDragState{column, row, occupied, false, row, false});
                if (!occupied) s->setNoteInStep(column, row, true, false);
            },
        .onDragChange =
            [s, drag](int, Point p, Size size) {
                if (!drag.get()) return;
                PolyDragState d = *drag.get();
                const int target = semitoneRowAtY(p.y, size.height);
                d.moved = true;
                d.lastTargetValue = target;
                d.hidesDraggedNote = false;
                if (target != d.value) {
                    if (s->notesStepContains(d.column, target)) d.hidesDraggedNote = true;
                    else d.value = s->moveStepChordNote(d.column, d.value, target, true);
                }
                drag.set(d);
            },
        .onDragEnd =
            [s, drag] {
                if (!drag.get()) return;
                const PolyDragState d = *drag.get();
                const bool droppedOnNote = d.moved && d.lastTargetValue != d.value && s->notesStepContains(d.column, d.lastTargetValue);
                const bool clickedNote = !d.moved && d.startedOccupied;
                if (droppedOnNote || clickedNote) s->setNoteInStep(d.column, d.value, false, false);
                drag.set(std::nullopt);
                s->endGestureTransaction();
            },
        .isInactive = [lane](int column) { return lane.isInactive(column); },
        .cell = [lane, shownChord](int column) -> View { return lane.cell(column, shownChord(column)); },
    };
}

}  // namespace

View TallLane::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    const auto painting = context.state<bool>(false);
    const auto polyDrag = context.state<std::optional<PolyDragState>>(std::nullopt);

    const LaneKind k = store.activeLane.get();
    const LaneContext lane{&store, k, laneConfig(k), context.env<KezAccentKey>()};
    const model::Track* track = activeTrack(store);
    const bool chords = k == LaneKind::notes && track && track->poly;
    return (chords ? chordEditor(lane, polyDrag) : valueEditor(lane, painting)).frame({.height = height});
}

}  // namespace pulvan::views
