#pragma once
// One track of the performance modal: its two live controller knobs, its name, mute and solo, each
// control a MIDI-learn target.
#include "editor/model/track.h"
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct PerformanceTrackLiveCCSection : ui::ViewModifiers<PerformanceTrackLiveCCSection> {
    int trackIndex = 0;
    model::Track track;  // as the modal read it; name, colour, mute and solo come from it

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
