#include "editor/views/main/toggle_lane.h"

#include "editor/views/main/lane_rows.h"
#include "editor/views/main/step_strip.h"
#include "editor/views/shell/dot_texture.h"
#include "editor/views/shell/environment_keys.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

#include <algorithm>

namespace pulvan::views {

using namespace ui;
using model::LaneKind;
using store::SequencerStore;

namespace {

// The value a paint starting on a step of value v writes: GATE inverts it, HOLD/LEGATO cycles 0, 1, 2.
int togglePaintValue(LaneKind kind, int v) {
    if (kind == LaneKind::gate) return v == 0 ? 1 : 0;
    if (v < 1) return 1;
    return v == 1 ? 2 : 0;
}

View stepCell(LaneKind kind, int v, Color accent, double opacity) {
    const int s = kind == LaneKind::gate ? (v != 0 ? 1 : 0) : std::clamp(v, 0, 2);
    return dimmed(
        zstack({}, s != 0 ? View(DotTexture{accent, 3.0, 1.3}).clipShape(shapes::continuousRoundedRectangle(2)) : View(),
               kind == LaneKind::tie && s == 2 ? HoldLegatoSymbol{}.padding({.top = 4, .leading = 6, .bottom = 6, .trailing = 6}) : View(),
               continuousRoundedRectangle(2).stroke(accent.opacity(s == 0 ? 0.2 : 0.5), 1))
            .padding(2),
        opacity);
}

}  // namespace

View ToggleLane::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    const Color accent = context.env<KezAccentKey>();
    const auto paintValue = context.state<int>(0);
    const auto painting = context.state<bool>(false);
    SequencerStore* s = &store;
    const LaneKind k = kind;
    const model::Lane& lane = store.activeLaneFor(k);

    return StepStrip{
        .playheadKind = k,
        .onDragStart =
            [s, k, paintValue, painting](int column, Point, Size) {
                if (!beginLanePaint(*s, k, column, painting, laneLabel("Paint", k))) return;
                const int v = stepValue(s->activeLaneFor(k), stepOfColumn(*s, column));
                paintValue.set(togglePaintValue(k, v));
                s->setLaneStepValue(k, column, paintValue.get());
            },
        .onDragChange =
            [s, k, paintValue, painting](int column, Point, Size) {
                if (painting.get()) s->setLaneStepValue(k, column, paintValue.get());
            },
        .onDragEnd =
            [s, painting] {
                if (!painting.get()) return;
                painting.set(false);
                s->endGestureTransaction();
            },
        .isInactive = [s, lastStep = lane.lastStep](int column) { return stepOfColumn(*s, column) + 1 > lastStep; },
        .cell =
            [s, k, lane, accent](int column) {
                return stepCell(k, stepValue(lane, stepOfColumn(*s, column)), accent, s->isStepGatedOff(k, column) ? 0.5 : 1.0);
            },
    }
        .frame({.height = 25});
}

View HoldLegatoSymbol::body(BuildContext& context) const {
    const Color accent = context.env<KezAccentKey>();
    return canvas([accent](DisplayList& list, const Rect& f) {
        const double w = f.width, h = f.height;
        const Path arch = Path{}.moveTo({f.x, f.y + 0.72 * h}).quadTo({f.x + w, f.y + 0.72 * h}, {f.x + 0.5 * w, f.y + 0.08 * h});
        list.add(draw::Stroke{arch, accent.opacity(0.8), StrokeStyle{std::max(0.14 * h, 1.25), LineCap::round, LineJoin::round, 10}});
    });
}

}  // namespace pulvan::views
