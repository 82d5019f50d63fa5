#pragma once
// The chord-memory modal: the active track's output chord as six sliders of -12 to +12 semitones.
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct ChordMemoryModal : ui::ViewModifiers<ChordMemoryModal> {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
