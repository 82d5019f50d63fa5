#pragma once
// Keys through xkbcommon-x11: the server's keymap, keysyms and the text a key types, repeats told apart.
#include "platform/ui/events.h"

#include <xcb/xcb.h>

#include <bitset>
#include <optional>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace pulvan::x11 {

class Keyboard {
public:
    // Without the XKB extension the keyboard stays silent.
    explicit Keyboard(xcb_connection_t* connection);
    ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    // A key press or release as the views receive it; none for a key without a keymap.
    std::optional<ui::KeyEvent> translate(xcb_keycode_t keycode, std::uint16_t state, bool pressed);
    // Focus left: no key counts as held any more.
    void releaseAll() { held_.reset(); }

private:
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    std::bitset<256> held_;
};

// The layer's modifiers from an X event's state.
unsigned modifiersFromState(std::uint16_t state);

}  // namespace pulvan::x11
