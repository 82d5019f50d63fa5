#include "editor/views/shell/capture_surface.h"

#include "platform/ui/content.h"

namespace pulvan::views {

ui::View captureSurface(std::function<void(const ui::PointerEvent&)> handler) {
    return ui::canvas({}).onPointer([handler = std::move(handler)](const ui::PointerEvent& e) {
        if (e.phase == ui::PointerPhase::press && e.button != ui::MouseButton::left) return;
        handler(e);
    });
}

}  // namespace pulvan::views
