#pragma once
// The option cell of one chord scene, "Scene 1" to "Scene 8", as the notes-pool and performance modals
// show it: selected while it is the active scene, marked while it holds a chord, and filling with the
// progress of its pending launch at "1 bar" or "1/4". Only the cell follows the playhead.
#include "platform/ui/view_modifiers.h"

#include <functional>

namespace pulvan::views {

struct SceneCell : ui::ViewModifiers<SceneCell> {
    int scene = 0;
    // The store strip's look: never selected, no launch progress, a highlight while pressed.
    bool storeStripStyle = false;
    std::function<void()> onPressStart;
    std::function<void()> onPressEnd;
    std::function<void()> action;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
