#pragma once
// The notes-pool modal: where the pool that the NOTES lanes draw from is chosen and edited, from the
// chord scenes ("Scene") or the MIDI input ("MIDI in"). It keeps only view state; every edit is one
// store command, and its audition notes leave through the store.
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct NotesPoolModal : ui::ViewModifiers<NotesPoolModal> {
    static constexpr double keyboardHeight = 155;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
