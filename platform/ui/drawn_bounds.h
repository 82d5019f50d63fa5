#pragma once
// Where a group's commands can draw, so the back end composes and blurs no more than that.
#include "platform/ui/display_list.h"

#include <optional>
#include <span>
#include <vector>

namespace pulvan::ui {

// The bounds of what the commands draw up to the EndGroup that closes the group they are in, in the
// user space they start in. Nothing when that is not known (a shadow within the group).
std::optional<Rect> groupContentBounds(std::span<const DrawCommand> commands);

// Where one drawing command draws, in its user space; nothing for commands that change state instead.
std::optional<Rect> drawnBounds(const DrawCommand& command);

// Where two recordings of the same views draw differently, in the space they were recorded in: the
// commands that differ, or everything both draw when their structure changed.
std::vector<Rect> changedAreas(const DisplayList& before, const DisplayList& after);

}  // namespace pulvan::ui
