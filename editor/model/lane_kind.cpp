#include "editor/model/lane_kind.h"

#include "editor/model/raw_value_table.h"

namespace pulvan::model {
namespace {

constexpr detail::RawValueTable<LaneKind, 10> kRawValues{{
    {LaneKind::gate, "gate"},
    {LaneKind::tie, "tie"},
    {LaneKind::notes, "notes"},
    {LaneKind::fix, "fix"},
    {LaneKind::octave, "octave"},
    {LaneKind::velocity, "velocity"},
    {LaneKind::length, "length"},
    {LaneKind::probability, "probability"},
    {LaneKind::ccA, "cc_a"},
    {LaneKind::ccB, "cc_b"},
}};

constexpr detail::RawValueTable<LaneKind, 10> kDisplayNames{{
    {LaneKind::gate, "GATE"},
    {LaneKind::tie, "HOLD/LEGATO"},
    {LaneKind::notes, "NOTES"},
    {LaneKind::fix, "FIX"},
    {LaneKind::octave, "OCTAVE"},
    {LaneKind::velocity, "VELOCITY"},
    {LaneKind::length, "LENGTH"},
    {LaneKind::probability, "PROBABILITY"},
    {LaneKind::ccA, "CC A"},
    {LaneKind::ccB, "CC B"},
}};

}  // namespace

std::string_view rawValue(LaneKind kind) { return detail::textOf(kRawValues, kind); }

std::optional<LaneKind> laneKindFromRawValue(std::string_view text) { return detail::valueOf(kRawValues, text); }

std::string_view displayName(LaneKind kind) { return detail::textOf(kDisplayNames, kind); }

int defaultStepValue(LaneKind kind) {
    switch (kind) {
        case LaneKind::velocity: return 100;
        case LaneKind::length: return 75;
        default: return 0;
    }
}

}  // namespace pulvan::model
