#include "platform/x11/keyboard.h"

// xcb/xkb.h names a field `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <cstdlib>
#include <utility>

namespace pulvan::x11 {
namespace {

// The locale that the C library would take for characters from the environment: a plug-in cannot count on
// its host having set one.
const char* characterLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* value = std::getenv(name); value && *value) return value;
    return "C";
}

}  // namespace

unsigned modifiersFromState(std::uint16_t state) {
    unsigned m = 0;
    if (state & XCB_MOD_MASK_SHIFT) m |= ui::shiftKey;
    if (state & XCB_MOD_MASK_CONTROL) m |= ui::controlKey;
    if (state & XCB_MOD_MASK_1) m |= ui::altKey;
    if (state & XCB_MOD_MASK_4) m |= ui::superKey;
    return m;
}

Keyboard::Keyboard(xcb_connection_t* connection) : connection_(connection) {
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &xkbEventBase_, nullptr))
        return;
    device_ = xkb_x11_get_core_keyboard_device_id(connection);
    if (device_ < 0) return;
    const auto device = static_cast<xcb_xkb_device_spec_t>(device_);
    // A held key repeats as presses without releases in between, so repeats are told from new presses.
    xcb_discard_reply(connection, xcb_xkb_per_client_flags(connection, device, XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                                           XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0)
                                      .sequence);
    // Selected before the keymap is read, so that no change after the reading goes unnoticed.
    constexpr std::uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    constexpr std::uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
                                       XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                                       XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    xcb_xkb_select_events_aux(connection, device, events, 0, 0, mapParts, mapParts, &details);
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context_) return;
    if (xkb_compose_table* table = xkb_compose_table_new_from_locale(context_, characterLocale(), XKB_COMPOSE_COMPILE_NO_FLAGS)) {
        compose_ = xkb_compose_state_new(table, XKB_COMPOSE_STATE_NO_FLAGS);
        xkb_compose_table_unref(table);
    }
    loadKeymap();
}

Keyboard::~Keyboard() {
    xkb_compose_state_unref(compose_);
    xkb_state_unref(state_);
    xkb_context_unref(context_);
}

void Keyboard::loadKeymap() {
    xkb_keymap* keymap = xkb_x11_keymap_new_from_device(context_, connection_, device_, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) return;
    xkb_state* state = xkb_x11_state_new_from_device(keymap, connection_, device_);
    xkb_keymap_unref(keymap);
    if (!state) return;
    xkb_state_unref(std::exchange(state_, state));
    // What was typed under the old keymap begins nothing under the new one.
    if (compose_) xkb_compose_state_reset(compose_);
}

void Keyboard::releaseAll() {
    held_.reset();
    if (compose_) xkb_compose_state_reset(compose_);
}

void Keyboard::handle(const xcb_generic_event_t& event) {
    if (!context_ || (event.response_type & 0x7F) != xkbEventBase_) return;
    // Every XKB event names its kind and its device at the same places.
    const auto& e = reinterpret_cast<const xcb_xkb_map_notify_event_t&>(event);
    if (e.deviceID == device_ && (e.xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || e.xkbType == XCB_XKB_MAP_NOTIFY)) loadKeymap();
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
    if (!pressed) return event;
    char text[64] = {};
    // The compose state passes over modifier keys, so Shift inside a sequence leaves it as it is.
    const bool fed = compose_ && xkb_compose_state_feed(compose_, event.keysym) == XKB_COMPOSE_FEED_ACCEPTED;
    switch (fed ? xkb_compose_state_get_status(compose_) : XKB_COMPOSE_NOTHING) {
        case XKB_COMPOSE_COMPOSING:
        case XKB_COMPOSE_CANCELLED: return std::nullopt;
        case XKB_COMPOSE_COMPOSED:
            event.keysym = xkb_compose_state_get_one_sym(compose_);
            xkb_compose_state_get_utf8(compose_, text, sizeof text);
            break;
        case XKB_COMPOSE_NOTHING: xkb_state_key_get_utf8(state_, keycode, text, sizeof text); break;
    }
    // Control characters (Ctrl+letter, Return, Backspace) are editing keys, not text.
    const auto first = static_cast<unsigned char>(text[0]);
    if (first >= 0x20 && first != 0x7F) event.text = text;
    return event;
}

}  // namespace pulvan::x11
