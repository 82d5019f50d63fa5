#pragma once
// The row at the top of the editor: the logo (the zoom list inside a host), the notes-pool button and its
// notes, then at the right edge app play, leaving MIDI learn, swing, undo and redo, record, resync,
// presets, save and the main menu.
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct TopBar : ui::ViewModifiers<TopBar> {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
