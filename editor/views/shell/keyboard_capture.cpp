#include "editor/views/shell/keyboard_capture.h"

#include "editor/views/shell/capture_surface.h"

#include <algorithm>
#include <utility>

namespace pulvan::views {

using namespace ui;

namespace {

struct KeyboardCaptureState {
    // The newest description's duration and callbacks, for the timer as well as the events.
    SingleTouchKeyboardCapture view;
    foundation::Timer pressTimer;
    bool mouseIsDown = false;
    bool longPressActive = false;
    Point downPoint;
    Point lastPoint;
    double scrollAccumulatedX = 0;
    bool scrollPanActive = false;
};
using KeyboardCapture = std::shared_ptr<KeyboardCaptureState>;

void beginLongPress(KeyboardCaptureState& s, Point at) {
    s.pressTimer.cancel();
    s.longPressActive = true;
    callIfSet(s.view.onLongPressBegan, at);
}

void pointerEvent(const KeyboardCapture& capture, foundation::MainQueue& queue, const PointerEvent& e) {
    KeyboardCaptureState& s = *capture;
    switch (e.phase) {
        case PointerPhase::press:
            s.mouseIsDown = true;
            s.longPressActive = false;
            s.downPoint = s.lastPoint = e.location;
            s.pressTimer = queue.scheduleOneShot(foundation::nanosecondsFromSeconds(std::max(0.0, s.view.minimumPressDuration)), [capture] {
                KeyboardCaptureState& fired = *capture;
                if (fired.mouseIsDown && !fired.longPressActive) beginLongPress(fired, fired.lastPoint);
            });
            break;
        case PointerPhase::move:
            if (!s.mouseIsDown) break;
            s.lastPoint = e.location;
            if (s.longPressActive) callIfSet(s.view.onLongPressChanged, e.location);
            else if (distance(s.downPoint, e.location) > SingleTouchKeyboardCapture::allowableMovement) beginLongPress(s, e.location);
            break;
        case PointerPhase::release:
        case PointerPhase::cancel:
            s.pressTimer.cancel();
            if (!s.mouseIsDown) break;
            s.mouseIsDown = false;
            // A cancel never taps; it ends a long press under way as cancelled.
            if (std::exchange(s.longPressActive, false)) {
                if (e.phase == PointerPhase::release) callIfSet(s.view.onLongPressEnded, e.location);
                else callIfSet(s.view.onLongPressCancelled);
            } else if (e.phase == PointerPhase::release) {
                callIfSet(s.view.onTapAt, e.location);
            }
            break;
    }
}

void endPan(KeyboardCaptureState& s) {
    if (!std::exchange(s.scrollPanActive, false)) return;
    callIfSet(s.view.onTwoFingerPanEnded);
}

// Only a touchpad's phased scrolling pans; wheel steps (no phase) are taken and ignored.
bool scrollEvent(KeyboardCaptureState& s, const ScrollEvent& e) {
    switch (e.phase) {
        case ScrollPhase::began:
            s.scrollAccumulatedX = 0;
            s.scrollPanActive = true;
            callIfSet(s.view.onTwoFingerPanBegan);
            break;
        case ScrollPhase::changed:
            if (!s.scrollPanActive) break;
            s.scrollAccumulatedX += e.deltaX;
            callIfSet(s.view.onTwoFingerPanChanged, s.scrollAccumulatedX);
            break;
        case ScrollPhase::ended:
        case ScrollPhase::cancelled: endPan(s); break;
        case ScrollPhase::none: break;
    }
    return true;
}

}  // namespace

View SingleTouchKeyboardCapture::body(BuildContext& context) const {
    const auto capture = context.storage<KeyboardCaptureState>();
    capture->view = *this;
    return captureSurface([capture, queue = &context.mainQueue()](const PointerEvent& e) { pointerEvent(capture, *queue, e); })
        .onScroll([capture](const ScrollEvent& e) { return scrollEvent(*capture, e); })
        // A pan under way ends with its view.
        .onDisappear([capture] { endPan(*capture); });
}

}  // namespace pulvan::views
