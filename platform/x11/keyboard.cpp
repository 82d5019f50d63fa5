#include "platform/x11/keyboard.h"

// xcb/xkb.h names a field `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>

namespace pulvan::x11 {

unsigned modifiersFromState(std::uint16_t state) {
    unsigned m = 0;
    if (state & XCB_MOD_MASK_SHIFT) m |= ui::shiftKey;
    if (state & XCB_MOD_MASK_CONTROL) m |= ui::controlKey;
    if (state & XCB_MOD_MASK_1) m |= ui::altKey;
    if (state & XCB_MOD_MASK_4) m |= ui::superKey;
    return m;
}

Keyboard::Keyboard(xcb_connection_t* connection) {
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return;
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0) return;
    // A held key repeats as presses without releases in between, so repeats are told from new presses.
    xcb_discard_reply(connection, xcb_xkb_per_client_flags(connection, static_cast<xcb_xkb_device_spec_t>(device),
                                                           XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                                           XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0)
                                      .sequence);
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context_) return;
    keymap_ = xkb_x11_keymap_new_from_device(context_, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap_) state_ = xkb_x11_state_new_from_device(keymap_, connection, device);
}

Keyboard::~Keyboard() {
    if (state_) xkb_state_unref(state_);
    if (keymap_) xkb_keymap_unref(keymap_);
    if (context_) xkb_context_unref(context_);
}

std::optional<ui::KeyEvent> Keyboard::translate(xcb_keycode_t keycode, std::uint16_t state, bool pressed) {
    if (!state_) return std::nullopt;
    // The event's own modifier state is the truth at the moment of the key.
    xkb_state_update_mask(state_, state & 0xFF, 0, 0, 0, 0, (state >> 13) & 3);
    ui::KeyEvent event;
    event.pressed = pressed;
    event.isRepeat = pressed && held_[keycode];
    held_[keycode] = pressed;
    event.keysym = xkb_state_key_get_one_sym(state_, keycode);
    event.modifiers = modifiersFromState(state);
    if (pressed) {
        char text[64] = {};
        xkb_state_key_get_utf8(state_, keycode, text, sizeof text);
        // Control characters (Ctrl+letter, Return, Backspace) are editing keys, not text.
        const auto first = static_cast<unsigned char>(text[0]);
        if (first >= 0x20 && first != 0x7F) event.text = text;
    }
    return event;
}

}  // namespace pulvan::x11
