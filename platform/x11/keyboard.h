#pragma once
// Keys through xkbcommon-x11: the server's keymap, followed when it changes, translated with the locale's
// compose table (else the C locale's).
#include "platform/x11/key_translator.h"

#include <xcb/xcb.h>

#include <optional>

struct xkb_compose_table;
struct xkb_context;

namespace pulvan::x11 {

class Keyboard {
public:
    // Without the XKB extension the keyboard stays silent.
    explicit Keyboard(xcb_connection_t* connection);
    ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    // A key press or release as the views receive it (see KeyTranslator); none before there is a keymap.
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
    xkb_compose_table* composeTable_ = nullptr;  // none when no table could be read
    std::optional<KeyTranslator> translator_;    // from the first keymap read, given each one after
};

}  // namespace pulvan::x11
