#pragma once
// Keys through xkbcommon-x11: the server's keymap, followed when it changes, keysyms and the text a key types,
// dead keys and Compose sequences as the locale's compose table has them, repeats told apart.
#include "platform/ui/events.h"

#include <xcb/xcb.h>

#include <bitset>
#include <optional>

struct xkb_compose_state;
struct xkb_context;
struct xkb_state;

namespace pulvan::x11 {

class Keyboard {
public:
    // Without the XKB extension the keyboard stays silent.
    explicit Keyboard(xcb_connection_t* connection);
    ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    // A key press or release as the views receive it; none for a key without a keymap, nor for the presses
    // of a compose sequence before its last one, nor for that of a sequence cancelled.
    std::optional<ui::KeyEvent> translate(xcb_keycode_t keycode, std::uint16_t state, bool pressed);
    // Any event of the connection: those that tell of a new layout, keyboard or key mapping build the keymap anew.
    void handle(const xcb_generic_event_t& event);
    // Focus left: no key counts as held any more, and a sequence begun is dropped.
    void releaseAll();

private:
    void loadKeymap();

    xcb_connection_t* connection_;
    std::int32_t device_ = -1;
    std::uint8_t xkbEventBase_ = 0;
    xkb_context* context_ = nullptr;
    xkb_state* state_ = nullptr;            // holds the keymap
    xkb_compose_state* compose_ = nullptr;  // holds the table; none when the locale has none
    std::bitset<256> held_;
};

// The layer's modifiers from an X event's state.
unsigned modifiersFromState(std::uint16_t state);

}  // namespace pulvan::x11
