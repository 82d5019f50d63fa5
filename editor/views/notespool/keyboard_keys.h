#pragma once
// The drawn keys of the piano: pool notes in the accent colour, the grab's outline and dimming, the "C"
// labels and the activity bars of the notes the active track sounds (held lit a moment after they stop).
#include "editor/views/notespool/keyboard_geometry.h"
#include "editor/views/notespool/lit_note_hold.h"
#include "platform/ui/view.h"

#include <optional>
#include <set>
#include <vector>

namespace pulvan::views {

struct KeyboardKeys {
    KeyboardGeometry geometry;
    std::vector<int> pool;
    std::set<int> activeTrackNotes;
    ui::Color accent;
    ui::Color activeTrackColor;
    std::optional<int> grabbedSourceNote;
    std::optional<int> grabbedTargetNote;
    double trackActivityHoldDuration = 0.1;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
