#include "editor/views/main/content_column.h"

#include "editor/views/main/pages_row.h"
#include "editor/views/main/patterns_row.h"
#include "editor/views/main/tall_lane.h"
#include "editor/views/main/toggle_lane.h"
#include "editor/views/main/track_row.h"
#include "editor/views/main/value_row.h"
#include "platform/ui/layout.h"

namespace pulvan::views {

using namespace ui;
using model::LaneKind;

View ContentColumn::body(BuildContext&) const {
    return vstack(
        {.alignment = Edge::leading, .spacing = 14}, TrackRow{}.frame({.height = 25}).padding(Edge::bottom, 16),
        ToggleLane{.kind = LaneKind::gate}.frame({.height = 25}).testId("gate-lane"),
        ToggleLane{.kind = LaneKind::tie}.frame({.height = 25}).testId("tie-lane"),
        ValueRow{.semis = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"}}.frame({.height = 20}).testId("value-row"),
        TallLane{}.frame({.height = 292}).testId("tall-lane").padding(Edge::top, -4), PagesRow{}.padding(Edge::top, 30),
        PatternsRow{}.padding(Edge::top, 10));
}

}  // namespace pulvan::views
