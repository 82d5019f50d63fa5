#pragma once
// The panel for playing live: the eight chord scenes as launch cells with the launch resolution, and per
// shown track its live controller knobs, name, mute and solo; every one of them learnable by MIDI learn.
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct PerformanceModal : ui::ViewModifiers<PerformanceModal> {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
