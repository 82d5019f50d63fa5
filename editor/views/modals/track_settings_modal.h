#pragma once
// The active track's settings: name, colour, fill mode, controller numbers and portamento; every choice is
// written to the store at once, as one undo step.
#include "platform/ui/view_modifiers.h"

#include <string>

namespace pulvan::views {

// The colour as six lower-case hexadecimal digits, clamped to 0...0xFFFFFF ("3dc2d2").
std::string accentColorHexLabel(int hex);

struct TrackSettingsModal : ui::ViewModifiers<TrackSettingsModal> {
    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
