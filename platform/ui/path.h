#pragma once
// Vector paths: the outline of shapes, strokes and clips.
#include "platform/ui/geometry.h"

#include <functional>
#include <vector>

namespace pulvan::ui {

class Path {
public:
    enum class Verb : unsigned char { move, line, quad, cubic, close };
    struct Element {
        Verb verb;
        Point points[3];
    };

    Path& moveTo(Point p) { return add(Verb::move, p); }
    Path& lineTo(Point p) { return add(Verb::line, p); }
    Path& quadTo(Point to, Point control) { return add(Verb::quad, control, to); }
    Path& cubicTo(Point to, Point control1, Point control2) { return add(Verb::cubic, control1, control2, to); }
    Path& close() { return add(Verb::close); }
    // A circular arc around centre from one angle to another (radians, y down: clockwise on screen when
    // clockwise is true), joined to the current point by a line.
    Path& arc(Point centre, double radius, double startAngle, double endAngle, bool clockwise);

    Path& addRect(const Rect& r);
    Path& addEllipse(const Rect& r);
    // Circular corners of one radius, cut to half the shorter side.
    Path& addRoundedRect(const Rect& r, double radius);
    Path& addPath(const Path& other, const Transform& t = {});

    const std::vector<Element>& elements() const { return elements_; }
    bool isEmpty() const { return elements_.empty(); }
    Rect bounds() const;
    Path transformed(const Transform& t) const;
    friend bool operator==(const Path& a, const Path& b);

private:
    Path& add(Verb verb, Point a = {}, Point b = {}, Point c = {}) {
        elements_.push_back({verb, {a, b, c}});
        return *this;
    }
    std::vector<Element> elements_;
};

// A shape is its path in a given rectangle.
using Shape = std::function<Path(const Rect&)>;

namespace shapes {
Shape rectangle();
Shape roundedRectangle(double radius);
Shape capsule();
Shape circle();  // the largest circle centred in the rectangle
Shape ellipse();
}  // namespace shapes

}  // namespace pulvan::ui
