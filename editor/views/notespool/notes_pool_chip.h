#pragma once
// A toggle chip of the notes pool ("Latch", "Auto resync"): a dot and a name on a bordered field, lit
// in its accent while on. Its owner wraps it in the button that toggles it.
#include "editor/views/shell/theme.h"
#include "platform/ui/view_modifiers.h"

#include <string>

namespace pulvan::views {

struct NotesPoolChip : ui::ViewModifiers<NotesPoolChip> {
    bool on = false;
    std::string text;
    ui::Color accent;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
