#pragma once
// Input as the window hosts deliver it and the views receive it. Positions are in points.
#include "platform/ui/geometry.h"

#include <cstdint>
#include <string>

namespace pulvan::ui {

enum Modifier : unsigned { shiftKey = 1, controlKey = 2, altKey = 4, superKey = 8 };

enum class PointerPhase : unsigned char { press, move, release, cancel };
enum class MouseButton : unsigned char { none, left, middle, right };

struct PointerEvent {
    PointerPhase phase = PointerPhase::move;
    MouseButton button = MouseButton::left;
    Point location;        // in the receiving view, origin top-left (the root's own space at the window)
    Point windowLocation;  // in the root's space
    Point screenLocation;  // in screen points, for windows that move with the pointer
    int clickCount = 0;    // presses within the multi-click window, synthesised by the root
    std::int64_t timeNanoseconds = 0;
    unsigned modifiers = 0;
};

// Touchpads report phases; wheels report line steps with no phase.
enum class ScrollPhase : unsigned char { none, began, changed, ended, cancelled };

struct ScrollEvent {
    Point location;
    Point windowLocation;
    double deltaX = 0;  // points, positive to the right
    double deltaY = 0;  // points, positive downwards (content moves up)
    bool hasPreciseDeltas = false;
    ScrollPhase phase = ScrollPhase::none;
    std::int64_t timeNanoseconds = 0;
    unsigned modifiers = 0;
};

struct KeyEvent {
    bool pressed = true;
    bool isRepeat = false;
    std::uint32_t keysym = 0;   // xkbcommon keysym
    std::uint32_t keycode = 0;  // the key pressed; 0 for keys a program makes up, which go by their keysym
    std::string text;           // UTF-8 the key types, empty for editing keys
    unsigned modifiers = 0;
};

enum class CursorShape : unsigned char { arrow, pointingHand, iBeam, resizeLeftRight, resizeUpDown, resizeDiagonal, openHand, closedHand };

}  // namespace pulvan::ui
