#include "editor/views/shell/press_highlight.h"

namespace pulvan::views {

using namespace ui;

View whilePressed(View content, State<bool> pressing) {
    return content.onDrag(
        {.minimumDistance = 0, .simultaneous = true}, [pressing](const DragValue&) { pressing.set(true); },
        [pressing](const DragValue&) { pressing.set(false); });
}

}  // namespace pulvan::views
