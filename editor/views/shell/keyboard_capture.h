#pragma once
// The input layer of the on-screen piano: a tap, a long press that can then be dragged across keys, and a
// two-finger horizontal pan. Points are in the view, origin top-left.
#include "platform/ui/view.h"

#include <functional>

namespace pulvan::views {

struct SingleTouchKeyboardCapture {
    static constexpr double allowableMovement = 18.0;

    // A press held this long without moving more than 18 points becomes a long press; so does a drag
    // beyond 18 points at once.
    double minimumPressDuration = 0.28;
    std::function<void(ui::Point)> onTapAt;
    std::function<void(ui::Point)> onLongPressBegan;
    std::function<void(ui::Point)> onLongPressChanged;
    std::function<void(ui::Point)> onLongPressEnded;
    // A long press under way when the pointer grab is lost or the view leaves the tree.
    std::function<void()> onLongPressCancelled;
    std::function<void()> onTwoFingerPanBegan;
    // The horizontal distance summed since the pan began.
    std::function<void(double)> onTwoFingerPanChanged;
    std::function<void()> onTwoFingerPanEnded;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
