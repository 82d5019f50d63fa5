#pragma once
// Keys through xkbcommon-x11: the server's keymap, followed when it changes, keysyms and the text a key types,
// dead keys and Compose sequences as the locale's compose table has them (else the C locale's), repeats told
// apart, and shortcuts with Latin letters under any layout.
#include "platform/ui/events.h"

#include <xcb/xcb.h>

#include <bitset>
#include <optional>
#include <string>
#include <vector>

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
    // of a compose sequence before its last one, nor for a BackSpace or Escape that ends a sequence. A key
    // that ends a sequence without composing types the sequence's own characters before its text, or acts as
    // it would outside a sequence; so does a key with Control or Alt, which ends a sequence without typing it.
    // With Control held, the keys of a layout that types no Latin letters take those of the first layout that
    // does, else those of the same place on a US keyboard.
    std::optional<ui::KeyEvent> translate(xcb_keycode_t keycode, std::uint16_t state, bool pressed);
    // Any event of the connection: those that tell of a new layout, keyboard or key mapping build the keymap anew.
    void handle(const xcb_generic_event_t& event);
    // Focus left: no key counts as held any more, and a sequence begun is dropped.
    void releaseAll();

private:
    void loadKeymap();
    std::uint32_t shortcutKeysym(xcb_keycode_t keycode, std::uint32_t keysym, std::uint16_t state);
    std::string typedText(xcb_keycode_t keycode) const;
    std::string sequenceText() const;
    void endSequence();

    xcb_connection_t* connection_;
    std::int32_t device_ = -1;
    std::uint8_t xkbEventBase_ = 0;
    xkb_context* context_ = nullptr;
    xkb_state* state_ = nullptr;            // holds the keymap
    xkb_compose_state* compose_ = nullptr;  // holds the table; none when no table could be read
    std::vector<bool> typesLatin_;          // for each layout of the keymap
    xkb_state* usState_ = nullptr;          // a US keyboard's, from the first keymap with no Latin layout on
    std::vector<std::uint32_t> sequence_;   // the keysyms of the sequence begun
    std::bitset<256> held_;
};

// The layer's modifiers from an X event's state.
unsigned modifiersFromState(std::uint16_t state);

}  // namespace pulvan::x11
