#pragma once
// What the recognisers report and how they are set; the modifiers that attach them are View's.
#include "platform/ui/geometry.h"

namespace pulvan::ui {

// A press and release within slop points of each other, on every count-th click of a run of clicks.
struct TapOptions {
    int count = 1;
    double slop = 10;
};

// A drag starts once the pointer moved minimumDistance from the press.
struct DragValue {
    Point startLocation;
    Point location;
    Point translation() const { return location - startLocation; }
};
struct DragOptions {
    double minimumDistance = 10;
    bool simultaneous = false;
};

// Fires once the press has lasted minimumDuration without moving more than maximumDistance.
struct LongPressOptions {
    double minimumDuration = 0.5;
    double maximumDistance = 10;
};

}  // namespace pulvan::ui
