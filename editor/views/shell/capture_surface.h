#pragma once
// What the capture views stand on: a transparent surface that takes the raw pointer events of its frame.
#include "platform/ui/view.h"

#include <functional>

namespace pulvan::views {

// Fills what it is offered and draws nothing; presses of buttons other than the left one are not its.
ui::View captureSurface(std::function<void(const ui::PointerEvent&)> handler);

template <typename F, typename... Args>
void callIfSet(const F& callback, const Args&... args) {
    if (callback) callback(args...);
}

}  // namespace pulvan::views
