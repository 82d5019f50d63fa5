#include "platform/x11/keyboard.h"

// xcb/xkb.h names a field `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <cstdarg>
#include <cstdlib>

namespace pulvan::x11 {
namespace {

// The locale that the C library would take for characters from the environment: a plug-in cannot count on
// its host having set one.
const char* characterLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* value = std::getenv(name); value && *value) return value;
    return "C";
}

void ignoreLog(xkb_context*, xkb_log_level, const char*, va_list) {}

}  // namespace

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
    // What xkbcommon would print ends up in a host's log at every window that opens.
    xkb_context_set_log_fn(context_, ignoreLog);
    // Many locales have no UTF-8 compose table (de_DE@euro, en_US in ISO-8859-1); C's still gives dead keys.
    composeTable_ = xkb_compose_table_new_from_locale(context_, characterLocale(), XKB_COMPOSE_COMPILE_NO_FLAGS);
    if (!composeTable_) composeTable_ = xkb_compose_table_new_from_locale(context_, "C", XKB_COMPOSE_COMPILE_NO_FLAGS);
    loadKeymap();
}

Keyboard::~Keyboard() {
    xkb_compose_table_unref(composeTable_);
    xkb_context_unref(context_);
}

void Keyboard::loadKeymap() {
    xkb_keymap* keymap = xkb_x11_keymap_new_from_device(context_, connection_, device_, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) return;
    if (translator_) translator_->setKeymap(keymap);
    else translator_.emplace(context_, keymap, composeTable_);
    xkb_keymap_unref(keymap);
}

void Keyboard::releaseAll() {
    if (translator_) translator_->releaseAll();
}

void Keyboard::handle(const xcb_generic_event_t& event) {
    if (!context_ || (event.response_type & 0x7F) != xkbEventBase_) return;
    // Every XKB event names its kind and its device at the same places.
    const auto& e = reinterpret_cast<const xcb_xkb_map_notify_event_t&>(event);
    if (e.deviceID == device_ && (e.xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || e.xkbType == XCB_XKB_MAP_NOTIFY)) loadKeymap();
}

std::optional<ui::KeyEvent> Keyboard::translate(xcb_keycode_t keycode, std::uint16_t state, bool pressed) {
    if (!translator_) return std::nullopt;
    return translator_->translate(keycode, state, pressed);
}

}  // namespace pulvan::x11
