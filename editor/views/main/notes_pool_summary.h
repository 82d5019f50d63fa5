#pragma once
// The top bar's compact display of the notes pool: the first eight notes with their positions.
#include "platform/ui/view_modifiers.h"

#include <string>
#include <vector>

namespace pulvan::views {

// "C-2" for note 0, "C3" for 60, "G8" for 127.
std::string poolNoteName(int note);

struct NotesPoolSummary : ui::ViewModifiers<NotesPoolSummary> {
    std::vector<int> pool;  // MIDI notes, in order

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
