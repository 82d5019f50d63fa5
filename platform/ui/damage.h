#pragma once
// What changed in a window: a few rectangles, never their bounding box, so two distant changes (a
// playhead leaving the last column for the first) repaint two small areas, not everything between.
#include "platform/ui/geometry.h"

#include <vector>

namespace pulvan::ui {

class Damage {
public:
    void add(const Rect& rect);
    void add(const Damage& other);
    bool isEmpty() const { return rects_.empty(); }
    const std::vector<Rect>& rects() const { return rects_; }
    Rect bounds() const;
    double area() const;
    bool intersects(const Rect& rect) const;
    bool contains(Point p) const;
    // Everything moved into another space, each rectangle by the transform's bounds of it.
    Damage transformed(const Transform& transform) const;

private:
    std::vector<Rect> rects_;  // never overlapping
};

}  // namespace pulvan::ui
