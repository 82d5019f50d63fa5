#pragma once
// How nodes take input from the root.
#include "platform/ui/events.h"

namespace pulvan::ui {

// Receives a press and everything after it until the release, or a cancel when the view leaves the tree
// or the pointer grab is lost: every press that began gets exactly one release or cancel.
class PointerHandler {
public:
    virtual ~PointerHandler() = default;
    virtual void pointerEvent(const PointerEvent& event) = 0;
    // Takes part in a press that a handler nearer the pointer also takes (a highlight on an ancestor).
    virtual bool actsSimultaneously() const { return false; }
};

class ScrollHandler {
public:
    virtual ~ScrollHandler() = default;
    // False: let an ancestor have it.
    virtual bool scrollEvent(const ScrollEvent& event) = 0;
};

class KeyHandler {
public:
    virtual ~KeyHandler() = default;
    // False: not handled here.
    virtual bool keyEvent(const KeyEvent& event) = 0;
    // Focus moved here or away.
    virtual void focusChanged(bool) {}
};

}  // namespace pulvan::ui
