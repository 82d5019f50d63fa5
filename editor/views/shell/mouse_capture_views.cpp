#include "editor/views/shell/mouse_capture_views.h"

#include "editor/views/shell/capture_surface.h"
#include "editor/views/shell/editor_helpers.h"
#include "platform/ui/content.h"

namespace pulvan::views {

using namespace ui;

View SingleTouchDragCapture::body(BuildContext& context) const {
    const auto dragging = context.storage<bool>();
    return captureSurface([view = *this, dragging](const PointerEvent& e) {
        switch (e.phase) {
            case PointerPhase::press:
                *dragging = true;
                callIfSet(view.onStart, e.location);
                if (e.clickCount == 2) callIfSet(view.onDoubleTap, e.location);
                if (e.clickCount == 3) callIfSet(view.onTripleTap, e.location);
                break;
            case PointerPhase::move:
                if (*dragging) callIfSet(view.onMove, e.location);
                break;
            case PointerPhase::release:
            case PointerPhase::cancel: endPressIfActive(*dragging, view.onEnd); break;
        }
    });
}

View FlashHoldCapture::body(BuildContext& context) const {
    const auto pressed = context.storage<bool>();
    return captureSurface([view = *this, pressed](const PointerEvent& e) {
        switch (e.phase) {
            case PointerPhase::press:
                *pressed = true;
                callIfSet(view.onPressStart);
                break;
            case PointerPhase::move: break;
            case PointerPhase::release:
            case PointerPhase::cancel: endPressIfActive(*pressed, view.onPressEnd); break;
        }
    });
}

namespace {
struct TapPress {
    bool pressActive = false;
    Point downPoint;
};
}  // namespace

View SingleTouchTapCapture::body(BuildContext& context) const {
    const auto press = context.storage<TapPress>();
    return captureSurface([view = *this, press](const PointerEvent& e) {
        TapPress& p = *press;
        switch (e.phase) {
            case PointerPhase::press:
                p.downPoint = e.location;
                p.pressActive = true;
                callIfSet(view.onPressStart);
                break;
            case PointerPhase::move: break;
            case PointerPhase::release: {
                const bool wasActive = p.pressActive;
                endPressIfActive(p.pressActive, view.onPressEnd);
                if (!wasActive || distance(p.downPoint, e.location) > allowableMovement) break;
                callIfSet(view.onTap);
                if (e.clickCount == 2) callIfSet(view.onDoubleTap);
                break;
            }
            case PointerPhase::cancel: endPressIfActive(p.pressActive, view.onPressEnd); break;
        }
    });
}

View SingleTouchTapButton::body(BuildContext&) const {
    const View shaped = label.contentShape(shapes::rectangle());
    if (!enabled || !action) return shaped;
    return shaped.overlay(SingleTouchTapCapture{
        .onTap = action,
        .allowSecondaryTouches = allowSecondaryTouches,
        .onPressStart = onPressStart,
        .onPressEnd = onPressEnd,
        .onDoubleTap = onDoubleTap,
    });
}

}  // namespace pulvan::views
