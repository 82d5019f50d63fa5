#include "editor/views/shell/overlay_backdrop.h"

#include "platform/ui/content.h"

namespace pulvan::views {

using namespace ui;

View overlayBackdrop(std::function<void()> onTap) {
    return color(Color::black().opacity(0.55)).onTapGesture(std::move(onTap)).testId("backdrop");
}

}  // namespace pulvan::views
