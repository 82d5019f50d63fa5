#pragma once
// Makes a control the MIDI-learn target of one element: while learn mode is on, an overlay takes the
// control's taps, arms the element on a tap, forgets its controller on a double tap and shows the learned
// controller's number. Outside learn mode the control is as if unwrapped.
#include "editor/store/midi_learn.h"
#include "platform/ui/view_modifiers.h"

namespace pulvan::views {

struct MIDILearnTarget : ui::ViewModifiers<MIDILearnTarget> {
    store::MIDILearnElement element;
    ui::View content;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
