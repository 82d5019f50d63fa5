#pragma once
// Shapes the editor's views share: a rectangle rounded at chosen corners and the open outline of a tab.
#include "platform/ui/content.h"

#include <initializer_list>

namespace pulvan::views {

// A set of rectangle corners.
struct UIRectCorner {
    unsigned rawValue = 0;

    constexpr UIRectCorner() = default;
    constexpr explicit UIRectCorner(unsigned raw) : rawValue(raw) {}
    // {topLeft, topRight}: the union of the members.
    constexpr UIRectCorner(std::initializer_list<UIRectCorner> members) {
        for (UIRectCorner m : members) rawValue |= m.rawValue;
    }

    constexpr bool isEmpty() const { return rawValue == 0; }
    constexpr bool contains(UIRectCorner member) const { return (rawValue & member.rawValue) == member.rawValue; }
    constexpr bool isSubset(UIRectCorner of) const { return of.contains(*this); }
    constexpr bool isDisjoint(UIRectCorner with) const { return (rawValue & with.rawValue) == 0; }

    friend constexpr UIRectCorner operator|(UIRectCorner a, UIRectCorner b) { return UIRectCorner(a.rawValue | b.rawValue); }
    friend constexpr UIRectCorner operator&(UIRectCorner a, UIRectCorner b) { return UIRectCorner(a.rawValue & b.rawValue); }
    friend constexpr UIRectCorner operator^(UIRectCorner a, UIRectCorner b) { return UIRectCorner(a.rawValue ^ b.rawValue); }
    friend constexpr UIRectCorner operator-(UIRectCorner a, UIRectCorner b) { return UIRectCorner(a.rawValue & ~b.rawValue); }
    constexpr UIRectCorner& operator|=(UIRectCorner b) { return *this = *this | b; }
    constexpr UIRectCorner& operator-=(UIRectCorner b) { return *this = *this - b; }
    friend constexpr bool operator==(UIRectCorner, UIRectCorner) = default;
};

inline constexpr UIRectCorner topLeft(1), topRight(2), bottomLeft(4), bottomRight(8), allCorners(15);

// A rectangle whose chosen corners are quadratic curves of the radius (at most half the shorter side),
// with the rectangle's corner as control point.
struct RoundedCorners : ui::ShapeView {
    RoundedCorners(double radius, UIRectCorner corners);
    double radius;
    UIRectCorner corners;
};

// The open outline of a tab: up the left side, over a top rounded by the radius, down the right side.
struct TabTopBorder : ui::ShapeView {
    explicit TabTopBorder(double radius);
    double radius;
};

}  // namespace pulvan::views
