#pragma once
// Labels the top bar wraps in its own tap handling.
#include "platform/ui/view.h"

namespace pulvan::views {

// "Exit MIDI Learn" in light text on the record red.
struct ExitMIDILearnButtonLabel {
    ui::View body(ui::BuildContext& context) const;
};

// The floppy disk and "Save", lit while active.
struct SavePresetButtonLabel {
    bool active = false;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
