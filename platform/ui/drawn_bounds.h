#pragma once
// Where a group's commands can draw, so the back end composes and blurs no more than that.
#include "platform/ui/display_list.h"

#include <optional>
#include <span>

namespace pulvan::ui {

// The bounds of what the commands draw up to the EndGroup that closes the group they are in, in the
// user space they start in. Nothing when that is not known (a shadow within the group).
std::optional<Rect> groupContentBounds(std::span<const DrawCommand> commands);

}  // namespace pulvan::ui
