#pragma once
// The active track's controls on the step grid: poly, octave, transpose, chord memory, channel, the
// MIDI-out offset, duplicate and the settings.
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct TrackRow : ui::ViewModifiers<TrackRow> {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
