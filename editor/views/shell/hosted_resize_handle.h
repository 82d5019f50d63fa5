#pragma once
// The 20 x 20 grip in the bottom-right corner of a host's editor window: dragging it asks the host for a
// size of the editor's aspect, within 640 to 3200 points of width and the screen; letting go stores the
// width the window has, from which the next editor takes its size.
#include "platform/ui/geometry.h"
#include "platform/ui/view.h"

#include <functional>
#include <optional>

namespace pulvan::store {
class SequencerStore;
}

namespace pulvan::views {

// One drag of the grip.
struct HostedResizeDrag {
    std::optional<double> dragStartWidth;
    std::optional<ui::Point> dragStartMouse;  // screen points, y growing downwards
    std::optional<double> lastRequestedWidth;
    friend bool operator==(const HostedResizeDrag&, const HostedResizeDrag&) = default;
};

inline constexpr double kHostedMinimumWidth = 640, kHostedMaximumWidth = 3200;

// A drag moved to the mouse position m: the size to ask the host for, none when it asks nothing new.
std::optional<ui::Size> hostedResizeHandleDragChanged(HostedResizeDrag& drag, ui::Point mouse, ui::Size viewport, double aspect,
                                                      std::optional<ui::Rect> screenVisibleFrame);
// The drag ended: the window width to store, none when it is the stored one.
std::optional<int> hostedResizeHandleDragEnded(HostedResizeDrag& drag, ui::Size viewport, int storedWidth);

struct HostedResizeHandle {
    ui::Size viewport;
    double aspect = 1280.0 / 730.0;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
