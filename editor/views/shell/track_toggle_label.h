#pragma once
// The label of a track's mute or solo button, in the sidebar and in the performance modal's track sections.
#include "platform/ui/view.h"

#include <string>

namespace pulvan::views {

// Black on the on colour when on, secondary text on clear when off; the whole rectangle takes clicks,
// its rounded corners included.
ui::View trackToggleLabel(const std::string& text, bool on, ui::Color onColor);

}  // namespace pulvan::views
