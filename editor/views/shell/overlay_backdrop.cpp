#include "editor/views/shell/overlay_backdrop.h"

#include "platform/ui/content.h"

namespace pulvan::views {

using namespace ui;

namespace {

View backdropColor() { return color(Color::black().opacity(0.55)); }

}  // namespace

View overlayBackdrop(std::function<void()> onTap) { return backdropColor().onTapGesture(std::move(onTap)).testId("backdrop"); }

View overlayBackdrop(std::function<void()> onTap, std::function<void()> onRepeatedClick) {
    return backdropColor()
        .onPointer([onTap = std::move(onTap), onRepeatedClick = std::move(onRepeatedClick)](const PointerEvent& e) {
            if (e.phase != PointerPhase::release) return;
            if (e.clickCount >= 2) onRepeatedClick();
            else onTap();
        })
        .testId("backdrop");
}

}  // namespace pulvan::views
