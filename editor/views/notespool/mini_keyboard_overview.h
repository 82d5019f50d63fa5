#pragma once
// A thumbnail of the whole keyboard at the width it is given: the pool notes marked, the visible part
// framed and the rest shaded. Dragging the frame scrolls the keyboard; a press elsewhere centres the
// keyboard on the release point. It only asks: onScrollRequest gets the new offset.
#include "platform/ui/view_modifiers.h"

#include <functional>
#include <set>
#include <vector>

namespace pulvan::views {

struct MiniKeyboardOverview : ui::ViewModifiers<MiniKeyboardOverview> {
    std::vector<int> pool;
    double scrollLeft = 0;
    double viewportWidth = 0;
    double contentWidth = 0;
    std::function<void(double)> onScrollRequest;
    std::set<int> blackPCs{1, 3, 6, 8, 10};
    double dimOpacity = 0.8;

    // Where the frame and the shades lie in a strip of the given size.
    struct Measures {
        double w, h, keyW, content, maxLeft, s, windowW, windowX, frameW, frameX;
        bool insideFrame(double x) const { return x >= frameX && x <= frameX + frameW; }
    };
    Measures measure(ui::Size size) const;

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
