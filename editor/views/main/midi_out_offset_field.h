#pragma once
// The track row's MIDI-out offset: dragged up or down in milliseconds, reset to 0 by a quick second tap.
#include "platform/ui/view_modifiers.h"

#include <optional>

namespace pulvan::views {

struct GridMIDIOutOffsetField : ui::ViewModifiers<GridMIDIOutOffsetField> {
    static constexpr double doubleTapSeconds = 0.35;
    static constexpr double tapMovement = 8;

    std::optional<double> width;
    double pixelsPerMs = 10;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
