#pragma once
// The drawn keys of the piano: pool notes in the accent colour, the grab's outline and dimming and the
// "C" labels; and, apart, the activity bars of the notes the active track sounds (held lit a moment after
// they stop), small views of their own so that a playhead tick repaints only them.
#include "editor/views/notespool/keyboard_geometry.h"
#include "editor/views/notespool/lit_keys.h"
#include "platform/ui/view.h"

#include <memory>
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

// One view per key, at the top of the part of the key that shows, each built again only when its key
// goes light or dark; the grab's dimmed source key dims its bar too.
ui::View keyboardActivityBars(const KeyboardGeometry& geometry, std::shared_ptr<LitKeys> lit, ui::Color activeTrackColor,
                              std::optional<int> dimmedNote);

}  // namespace pulvan::views
