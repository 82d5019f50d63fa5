#include "editor/views/main/value_row.h"

#include "editor/views/main/lane_rows.h"
#include "editor/views/shell/active_track.h"
#include "editor/views/shell/editor_helpers.h"
#include "editor/views/shell/mouse_capture_views.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"
#include "platform/ui/continuous_corners.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;
using model::LaneKind;
using store::SequencerStore;

std::string laneValueLabel(LaneKind kind, int v, bool fixOn, const std::vector<std::string>& semis) {
    switch (kind) {
        case LaneKind::notes:
            if (fixOn && semis.size() == 12) return semis[static_cast<std::size_t>(((v % 12) + 12) % 12)];
            return std::string("k").append(std::to_string(v + 1));
        case LaneKind::octave: return signedNumberLabel(v);
        case LaneKind::length: return std::to_string(v) + "%";
        case LaneKind::probability: return cycleFractionLabel(v);
        case LaneKind::ccA:
        case LaneKind::ccB: return v == 0 ? "-" : std::to_string(v - 1);
        default: return std::to_string(v);
    }
}

View ValueRow::body(BuildContext& context) const {
    auto& store = context.object<SequencerStore>();
    context.observe(store.didChange);
    const auto paintFixValue = context.state<int>(0);
    const auto paintingFix = context.state<bool>(false);

    const LaneKind kind = store.activeLane.get();
    const model::Lane& a = store.activeLaneFor(kind);
    const model::Lane& f = store.activeLaneFor(LaneKind::fix);
    const bool n = kind == LaneKind::notes;
    const Color accent = activeAccent(store);

    Views cells;
    for (int c = 0; c < 16; ++c) {
        const int i = stepOfColumn(store, c);
        const bool fixOn = stepValue(f, i) != 0;
        View cell = text(laneValueLabel(kind, stepValue(a, i), n && fixOn, semis))
                        .font(Font::system(12))
                        .lineLimit(1)
                        .minimumScaleFactor(0.6)
                        .foregroundColor(n && fixOn ? Color::white().opacity(0.75) : secondaryTextColor)
                        .padding(Edge::horizontal, n ? 15 : 6)
                        .frame({.height = 20});
        if (n) cell = cell.overlay(continuousRoundedRectangle(2).stroke(fixOn ? accent.opacity(0.5) : secondaryTextColor.opacity(0.2), 1));
        cells.push_back(dimmed(cell, isPastLastStep(f, i) ? 0.1 : 1.0).frame({.maxWidth = infinity}));
    }

    SequencerStore* s = &store;
    return geometryReader([cells = std::move(cells), n, s, paintFixValue, paintingFix](const GeometryProxy& proxy) {
               const double width = proxy.size().width;
               View row = hstackOf({.alignment = Edge::center, .spacing = 0}, cells);
               if (n)
                   row = row.overlay(SingleTouchDragCapture{
                       .onStart =
                           [s, width, paintFixValue, paintingFix](Point p) {
                               const int c = stepColumnAtX(p.x, width);
                               const model::Lane& fix = s->activeLaneFor(LaneKind::fix);
                               const int i = stepOfColumn(*s, c);
                               if (i < 0 || i >= static_cast<int>(fix.steps.size())) {
                                   paintingFix.set(false);
                                   return;
                               }
                               paintingFix.set(true);
                               s->beginTransaction("Paint fixed note");
                               paintFixValue.set(stepValue(fix, i) == 0 ? 1 : 0);
                               s->setLaneStepValue(LaneKind::fix, c, paintFixValue.get());
                           },
                       .onMove =
                           [s, width, paintFixValue, paintingFix](Point p) {
                               if (paintingFix.get()) s->setLaneStepValue(LaneKind::fix, stepColumnAtX(p.x, width), paintFixValue.get());
                           },
                       .onEnd =
                           [s, paintingFix] {
                               if (!paintingFix.get()) return;
                               paintingFix.set(false);
                               s->endGestureTransaction();
                           },
                   });
               return row.frame({.width = width, .height = proxy.size().height, .alignment = unit::bottom});
           })
        .frame({.height = 20});
}

}  // namespace pulvan::views
