#pragma once
// One slot of the chord memory: a vertical slider from lo (bottom) to hi (top) whose bar grows up or
// down from the centre line, with the value above it.
#include "platform/ui/view_modifiers.h"

#include <functional>

namespace pulvan::views {

struct ChordSlider : ui::ViewModifiers<ChordSlider> {
    int value = 0;
    std::function<void(int)> setValue;
    ui::Color accent;
    // After every change by a drag, the touch-down included, even when the value stayed.
    std::function<void()> onCommit;
    int lo = -12;
    int hi = 12;
    // A drag's end, released or cancelled, so that its owner can make the whole drag one edit.
    std::function<void()> onDragEnded;

    // The value under y in a track of that height: top edge hi, bottom edge lo, halves away from zero.
    static int valueAt(double y, double height, int lo, int hi);

    ui::View body(ui::BuildContext& context) const;
};

}  // namespace pulvan::views
