#include "editor/views/shell/hosted_resize_handle.h"

#include "editor/store/sequencer_store.h"
#include "editor/views/shell/editor_services.h"
#include "editor/views/shell/theme.h"
#include "platform/ui/content.h"

#include <algorithm>
#include <cmath>

namespace pulvan::views {

std::optional<ui::Size> hostedResizeHandleDragChanged(HostedResizeDrag& drag, ui::Point mouse, ui::Size viewport, double aspect,
                                                      std::optional<ui::Rect> screenVisibleFrame) {
    const double startWidth = drag.dragStartWidth.value_or(viewport.width);
    if (!drag.dragStartWidth) {
        drag.dragStartWidth = viewport.width;
        drag.dragStartMouse = mouse;
    }
    const ui::Point start = drag.dragStartMouse.value_or(mouse);
    const double dx = mouse.x - start.x;
    const double dy = (mouse.y - start.y) * aspect;  // dragging down grows the window
    const double delta = std::abs(dy) <= std::abs(dx) ? dx : dy;
    const double proposed = std::max(startWidth + delta, kHostedMinimumWidth);
    double width = std::min(proposed, kHostedMaximumWidth);
    if (screenVisibleFrame) {
        // A screen narrower than the minimum wins over it.
        const double limit = std::min(aspect * screenVisibleFrame->height, screenVisibleFrame->width);
        if (limit < kHostedMaximumWidth) width = std::min(proposed, limit);
    }
    width = std::round(width);
    if (drag.lastRequestedWidth == width) return std::nullopt;
    drag.lastRequestedWidth = width;
    return ui::Size{width, std::round(width / aspect)};
}

std::optional<int> hostedResizeHandleDragEnded(HostedResizeDrag& drag, ui::Size viewport, int storedWidth) {
    drag = {};
    const int width = static_cast<int>(std::clamp(std::round(viewport.width), kHostedMinimumWidth, kHostedMaximumWidth));
    if (width == storedWidth) return std::nullopt;
    return width;
}

ui::View HostedResizeHandle::body(ui::BuildContext& context) const {
    auto& store = context.object<store::SequencerStore>();
    auto& services = context.object<EditorServices>();
    const auto drag = context.state<HostedResizeDrag>();
    // Whether the press has moved the one point a drag needs.
    const auto moving = context.state<std::optional<ui::Point>>();
    const ui::Size viewportSize = viewport;
    const double ratio = aspect;
    auto* s = &store;
    auto* platform = &services;
    const auto end = [s, drag, viewportSize] {
        HostedResizeDrag d = drag.get();
        const auto width = hostedResizeHandleDragEnded(d, viewportSize, s->hostedWindowWidth);
        drag.set(d);
        if (!width) return;
        s->hostedWindowWidth = *width;
        s->saveUserPreferences();
    };
    return ui::canvas([](ui::DisplayList& list, const ui::Rect& r) {
               ui::Path path;
               for (double t = 4; t <= r.width - 4; t += 5) {
                   path.moveTo({r.x + r.width - 3, r.y + t});
                   path.lineTo({r.x + t, r.y + r.height - 3});
               }
               list.add(ui::draw::Stroke{path, secondaryTextColor.opacity(0.55), ui::StrokeStyle{1}});
           })
        .frame({.width = 20, .height = 20})
        .contentShape(ui::rectangle().shape())
        .onPointer([s, platform, drag, moving, viewportSize, ratio, end](const ui::PointerEvent& e) {
            switch (e.phase) {
                case ui::PointerPhase::press: moving.set(e.screenLocation); return;
                case ui::PointerPhase::move: {
                    const auto pressedAt = moving.get();
                    if (!pressedAt) return;
                    if (!drag->dragStartWidth && ui::distance(*pressedAt, e.screenLocation) < 1) return;
                    HostedResizeDrag d = drag.get();
                    const auto size =
                        hostedResizeHandleDragChanged(d, e.screenLocation, viewportSize, ratio, platform->screenVisibleFrame());
                    drag.set(d);
                    if (size && s->hooks.hostedRequestEditorResize) s->hooks.hostedRequestEditorResize(size->width, size->height);
                    return;
                }
                case ui::PointerPhase::release:
                case ui::PointerPhase::cancel:
                    moving.set(std::nullopt);
                    if (drag->dragStartWidth) end();
                    return;
            }
        })
        .cursor(ui::CursorShape::resizeDiagonal)
        .help("Drag to resize the plugin window")
        .testId("hostedResizeHandle");
}

}  // namespace pulvan::views
