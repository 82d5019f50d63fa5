#pragma once
// The drawn keys of the piano: pool notes in the accent colour, the grab's outline and dimming and the
// "C" labels; and, apart, the activity bars of the notes the active track sounds (held lit a moment after
// they stop), small views of their own so that a playhead tick repaints only them.
#include "editor/views/notespool/keyboard_geometry.h"
#include "platform/ui/view.h"

#include <optional>
#include <set>
#include <vector>

namespace pulvan::views {

struct KeyboardKeys {
    KeyboardGeometry geometry;
    std::vector<int> pool;
    ui::Color accent;
    std::optional<int> grabbedSourceNote;
    std::optional<int> grabbedTargetNote;

    ui::View body(ui::BuildContext& context) const;
};

struct KeyboardActivityBars {
    KeyboardGeometry geometry;
    std::set<int> activeTrackNotes;
    ui::Color activeTrackColor;
    // The grab's dimmed source key dims its bar too.
    std::optional<int> dimmedNote;
    double trackActivityHoldDuration = 0.1;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
