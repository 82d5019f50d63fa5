#pragma once
#include <array>
#include <optional>
#include <string_view>

namespace pulvan::model {

// The ten lanes of a pattern, in menu and sidebar order.
enum class LaneKind { gate, tie, notes, fix, octave, velocity, length, probability, ccA, ccB };

inline constexpr std::array<LaneKind, 10> allLaneKinds{LaneKind::gate,   LaneKind::tie,      LaneKind::notes,  LaneKind::fix,
                                                       LaneKind::octave, LaneKind::velocity, LaneKind::length, LaneKind::probability,
                                                       LaneKind::ccA,    LaneKind::ccB};

// "gate", "tie", "notes", "fix", "octave", "velocity", "length", "probability", "cc_a", "cc_b".
std::string_view rawValue(LaneKind kind);
std::optional<LaneKind> laneKindFromRawValue(std::string_view text);
// "GATE", "HOLD/LEGATO", "NOTES", ...
std::string_view displayName(LaneKind kind);

// The value every step of a fresh lane holds: 100 velocity, 75 length, 0 otherwise.
int defaultStepValue(LaneKind kind);

}  // namespace pulvan::model
