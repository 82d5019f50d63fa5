#pragma once
// Transparent views that turn the pointer into a control's few callbacks. Points are in the view, origin
// top-left. Every press that began gets its end exactly once: at the release, or when the pointer grab
// is lost or the view leaves the tree (a cancel, which never taps).
#include "platform/ui/view.h"

#include <functional>

namespace pulvan::views {

// Press, drag and release; the second and third press of a multi-click also report a double or triple tap.
struct SingleTouchDragCapture {
    std::function<void(ui::Point)> onStart;
    std::function<void(ui::Point)> onMove;
    std::function<void()> onEnd;
    std::function<void(ui::Point)> onDoubleTap;
    std::function<void(ui::Point)> onTripleTap;

    ui::View body(ui::BuildContext& context) const;
};

// The start and end of a press.
struct FlashHoldCapture {
    std::function<void()> onPressStart;
    std::function<void()> onPressEnd;

    ui::View body(ui::BuildContext& context) const;
};

// A tap: a release within 14 points of its press.
struct SingleTouchTapCapture {
    static constexpr double allowableMovement = 14.0;

    std::function<void()> onTap;
    bool allowSecondaryTouches = false;  // carried, not read
    std::function<void()> onPressStart;
    std::function<void()> onPressEnd;
    std::function<void()> onDoubleTap;

    ui::View body(ui::BuildContext& context) const;
};

// The label, tappable over its whole frame while enabled with an action; it draws nothing of its own.
struct SingleTouchTapButton {
    bool enabled = true;
    bool allowSecondaryTouches = false;
    std::function<void()> onPressStart;
    std::function<void()> onPressEnd;
    std::function<void()> onDoubleTap;
    std::function<void()> action;
    ui::View label;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
