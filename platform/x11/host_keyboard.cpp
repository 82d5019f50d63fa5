#include "platform/x11/host_keyboard.h"

#include <xcb/xinput.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace pulvan::x11 {
namespace {

// The keys that end a field's editing, as the keyboard's mapping places them now.
std::vector<xcb_keycode_t> endingKeycodes(xcb_connection_t* c) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* mapping = xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr);
    std::vector<xcb_keycode_t> keycodes;
    if (!mapping) return keycodes;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping);
    const int perKeycode = mapping->keysyms_per_keycode;
    for (int k = 0; k < count; ++k)
        if (std::ranges::any_of(keysyms + k * perKeycode, keysyms + (k + 1) * perKeycode,
                                [](xcb_keysym_t s) { return s == XKB_KEY_Return || s == XKB_KEY_KP_Enter; }))
            keycodes.push_back(static_cast<xcb_keycode_t>(setup->min_keycode + k));
    std::free(mapping);
    return keycodes;
}

}  // namespace

HostKeyboard::HostKeyboard(Connection& connection, xcb_window_t window, bool embedded)
    : connection_(connection),
      window_(window),
      embedded_(embedded),
      rules_(window),
      xembed_(connection.get()) {
    if (!embedded_) return;
    xembed_.announce(window_);
    // The window manager names the active window on the root.
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_.get(), connection_.screen()->root, XCB_CW_EVENT_MASK, &events);
}

void HostKeyboard::follow() {
    if (!embedded_) return;
    xcb_connection_t* c = connection_.get();
    std::vector<xcb_window_t> chain;
    for (xcb_window_t w = connection_.parentOf(window_); w != XCB_NONE; w = connection_.parentOf(w)) chain.push_back(w);
    // Ours alone: the host's own selections on its windows stay as they are. A window that is no longer above
    // this one tells us nothing more (its unmapping no longer hides the window).
    constexpr std::uint32_t nothing = 0;
    for (const xcb_window_t w : ancestors_)
        if (std::ranges::find(chain, w) == chain.end()) xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, &nothing);
    ancestors_ = std::move(chain);

    // The window manager's client, not its frame: the one that carries WM_STATE, else the outermost. A window
    // manager may take a window into a new frame before it sets WM_STATE, and a withdrawn window may lose it: its
    // setting and removal are followed on each of them.
    const Atoms& atoms = connection_.atoms();
    const auto managed =
        std::ranges::find_if(ancestors_, [&](xcb_window_t w) { return connection_.property(w, atoms.wmState).has_value(); });
    const xcb_window_t topLevel = managed != ancestors_.end() ? *managed : ancestors_.empty() ? XCB_NONE : ancestors_.back();
    for (const xcb_window_t w : ancestors_) {
        const std::uint32_t events =
            XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE | (w == topLevel ? XCB_EVENT_MASK_FOCUS_CHANGE : 0);
        xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, &events);
    }
    bool takesFocus = false;
    if (const auto protocols = connection_.property(topLevel, atoms.wmProtocols)) {
        for (std::size_t i = 0; i + 4 <= protocols->size(); i += 4) {
            xcb_atom_t atom = 0;
            std::memcpy(&atom, protocols->data() + i, 4);
            takesFocus = takesFocus || atom == atoms.wmTakeFocus;
        }
    }
    std::optional<xcb_window_t> active;
    if (const auto value = connection_.property(connection_.screen()->root, atoms.netActiveWindow); value && value->size() >= 4) {
        active.emplace();
        std::memcpy(&*active, value->data(), 4);
    }
    const xcb_window_t focus = connection_.inputFocus();
    rules_.followTopLevel(topLevel, takesFocus, topLevel && (focus == topLevel || isInside(focus, topLevel)), active);
}

bool HostKeyboard::isWindowOrAncestor(xcb_window_t window) const {
    return window == window_ || std::ranges::find(ancestors_, window) != ancestors_.end();
}

bool HostKeyboard::handle(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7F) {
        case XCB_FOCUS_IN:
        case XCB_FOCUS_OUT: {
            const auto& e = reinterpret_cast<const xcb_focus_in_event_t&>(event);
            const bool in = (event.response_type & 0x7F) == XCB_FOCUS_IN;
            if (in && e.event == window_) gaveBack_ = false;
            // Where the pointer is counts only as the top-level is focused from one of its windows: over the host's
            // part of it (inside it, outside the window), a click on the host's own widgets moved the focus.
            const bool fromWithin = in && e.event == rules_.topLevel() && e.detail == XCB_NOTIFY_DETAIL_INFERIOR;
            rules_.focusChanged(e.event, in, e.mode, e.detail, fromWithin && pointerIsOverTheHostsPart());
            return true;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (e.window == window_ && e.atom == connection_.atoms().timestamp) rules_.serverTime(e.time);
            if (e.atom == connection_.atoms().wmState && e.window != window_ && isWindowOrAncestor(e.window)) follow();
            if (e.window != connection_.screen()->root) return true;
            if (e.atom != connection_.atoms().netActiveWindow) return true;
            xcb_window_t active = XCB_NONE;
            if (const auto value = connection_.property(e.window, e.atom); value && value->size() >= 4)
                std::memcpy(&active, value->data(), 4);
            rules_.activeWindowChanged(active, e.time);
            return true;
        }
        // An embedder's word takes no keys; its focus moving to a widget of its own gives them back.
        case XCB_CLIENT_MESSAGE: {
            const XEmbedClient::Word word = xembed_.handle(reinterpret_cast<const xcb_client_message_event_t&>(event));
            if (word == XEmbedClient::Word::focusLeft) rules_.embedderFocusLeft();
            if (word == XEmbedClient::Word::windowDeactivated) rules_.embedderDeactivated();
            return word != XEmbedClient::Word::notXEmbed;
        }
        default: return false;
    }
}

void HostKeyboard::editingChanged(bool editing) {
    rules_.editingChanged(editing);
    carryOut();
}

void HostKeyboard::closing() {
    rules_.closing();
    carryOut();
    letKeyboardGo();
}

// Nobody will answer a key the grabs would freeze the keyboard for.
void HostKeyboard::letKeyboardGo() {
    xcb_connection_t* c = connection_.get();
    if (std::exchange(holdingKeyboard_, false)) xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    if (std::exchange(grabbing_, false))
        for (const xcb_keycode_t k : endingKeys_) xcb_ungrab_key(c, k, window_, XCB_MOD_MASK_ANY);
    xcb_flush(c);
}

void HostKeyboard::stopListening() {
    xcb_connection_t* c = connection_.get();
    letKeyboardGo();
    selectRaw(0);
    constexpr std::uint32_t nothing = 0;
    if (embedded_) xcb_change_window_attributes(c, connection_.screen()->root, XCB_CW_EVENT_MASK, &nothing);
    for (const xcb_window_t w : ancestors_) xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, &nothing);
    ancestors_.clear();
    // A round trip: the server hears of it before any other client asks.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// Every press on the screen, whoever's window takes it, while a field holds the keys: a host may answer a click on
// a widget of its own without moving the X focus, and tell nobody. Presses and keys, while a press in the window may
// yet stand for a field the program focuses: the first ends that. Else nothing, so the editor's thread sleeps.
void HostKeyboard::selectRawEvents() {
    std::uint32_t wanted = 0;
    // From the request on, which goes out after this: no press after the focus came is missed.
    if (rules_.fieldHoldsTheKeys()) wanted |= XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS;
    if (rules_.pressMayStandForAField()) wanted |= XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS;
    selectRaw(wanted);
}

void HostKeyboard::selectRaw(std::uint32_t wanted) {
    if (!embedded_ || !connection_.xinputOpcode() || wanted == rawEvents_) return;
    rawEvents_ = wanted;
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t mask;
    } events{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, wanted};
    xcb_input_xi_select_events(connection_.get(), connection_.screen()->root, 1, &events.head);
}

bool HostKeyboard::key(const xcb_key_press_event_t& event) {
    const bool pressed = (event.response_type & 0x7F) == XCB_KEY_PRESS;
    const bool hosts = rules_.key(event.detail, pressed, event.time);
    // A key the host sent itself (XEmbed's forwarding) is the window's to take.
    const bool sent = event.response_type & 0x80;
    if (!hosts || sent || !embedded_) return false;
    passOn(event);
    return true;
}

// Where the window is slow to answer (saving a file), keys typed meanwhile wait in the server, in order.
void HostKeyboard::thaw(const xcb_key_press_event_t& event) {
    if (event.response_type & 0x80) return;
    xcb_connection_t* c = connection_.get();
    const bool pressed = event.response_type == XCB_KEY_PRESS;
    if (holdingKeyboard_) {
        // One key at a time while the ending key is down; once it is up the keys went back, and those typed after it
        // go to the host.
        if (gaveBack_ || !rules_.keyIsDown()) {
            xcb_ungrab_keyboard(c, event.time);
            holdingKeyboard_ = false;
        } else {
            xcb_allow_events(c, XCB_ALLOW_SYNC_KEYBOARD, event.time);
        }
    } else if (pressed && isEndingKey(event.detail)) {
        // The key's own grab ends with its release, before the window has read it: the window holds the whole
        // keyboard instead, to give the keys back before any key after that release moves on.
        if (rules_.keysGoBackOnARelease()) {
            xcb_discard_reply(c, xcb_grab_keyboard(c, 1, window_, event.time, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC).sequence);
            holdingKeyboard_ = true;
            xcb_allow_events(c, XCB_ALLOW_SYNC_KEYBOARD, event.time);
        } else {
            xcb_allow_events(c, XCB_ALLOW_ASYNC_KEYBOARD, event.time);
        }
    } else {
        return;
    }
    xcb_flush(c);
}

bool HostKeyboard::isEndingKey(xcb_keycode_t keycode) const { return std::ranges::find(endingKeys_, keycode) != endingKeys_.end(); }

void HostKeyboard::grabEndingKeys() {
    const bool wanted = embedded_ && rules_.fieldHoldsTheKeys();
    if (wanted == grabbing_) return;
    grabbing_ = wanted;
    xcb_connection_t* c = connection_.get();
    if (!wanted) {
        for (const xcb_keycode_t k : endingKeys_) xcb_ungrab_key(c, k, window_, XCB_MOD_MASK_ANY);
        return;
    }
    endingKeys_ = endingKeycodes(c);
    for (const xcb_keycode_t k : endingKeys_) xcb_grab_key(c, 1, window_, XCB_MOD_MASK_ANY, k, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC);
}

// Where the server would have sent it, had the focus gone back already: to the window where the host keeps its keys,
// else up from the parent to the first window that asks for keys.
void HostKeyboard::passOn(const xcb_key_press_event_t& event) {
    xcb_window_t to = rules_.keysGoBackTo();
    if (to == kPointerRoot || !to) to = ancestors_.empty() ? XCB_NONE : ancestors_.front();
    if (!to) return;
    xcb_key_press_event_t e = event;
    e.response_type &= 0x7F;
    e.event = to;
    e.child = XCB_NONE;
    const std::uint32_t mask = e.response_type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE;
    xcb_send_event(connection_.get(), 1, to, mask, reinterpret_cast<const char*>(&e));
    xcb_flush(connection_.get());
}

void HostKeyboard::carryOut() {
    selectRawEvents();
    grabEndingKeys();
    const auto requests = rules_.takeRequests();
    if (requests.empty()) return;
    xcb_connection_t* c = connection_.get();
    for (const FocusRequest& r : requests) {
        if (r.kind == FocusRequest::Kind::stamp) {
            // A change of a property of its own comes back stamped with the server's time.
            xcb_change_property(c, XCB_PROP_MODE_APPEND, window_, connection_.atoms().timestamp, XCB_ATOM_INTEGER, 32, 0, nullptr);
            continue;
        }
        const xcb_window_t focus = connection_.inputFocus();
        if (r.kind == FocusRequest::Kind::take) {
            // Where the keys go back to when the editing ends.
            if (focus != window_) rules_.tookFrom(focus, focus > XCB_INPUT_FOCUS_POINTER_ROOT && isInside(focus, rules_.topLevel()));
            xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, window_, r.time);
            continue;
        }
        if (focus != window_) continue;  // taken elsewhere since
        giveTo(r.to, r.time);
        gaveBack_ = true;
        if (r.offerTakeFocus) offerTakeFocus(r.time);
    }
    xcb_flush(c);
}

// Only a click moves the keys: a wheel turned or a side button pressed over the host's widgets focuses none of them.
// Only while the window holds the focus: presses elsewhere cost no round trips.
void HostKeyboard::pressedAnywhere(std::uint32_t button, xcb_timestamp_t time) {
    if (button < 1 || button > 3) return;
    rules_.actedAnywhere(time);
    if (!rules_.holdsFocus() || !rules_.topLevel()) return;
    if (pointerIsOverAncestors() && pointerIsOverTheHostsPart()) rules_.pressedOnTheHost(time);
}

// Inside the top-level, outside the window.
bool HostKeyboard::pointerIsOverTheHostsPart() const { return pointerIsIn(rules_.topLevel()) && !pointerIsIn(window_); }

// No other program's window covers the pointer: the root's child under it is one of the window's ancestors.
bool HostKeyboard::pointerIsOverAncestors() const {
    xcb_connection_t* c = connection_.get();
    auto* pointer = xcb_query_pointer_reply(c, xcb_query_pointer(c, connection_.screen()->root), nullptr);
    const bool over = pointer && pointer->child != XCB_NONE && isWindowOrAncestor(pointer->child);
    std::free(pointer);
    return over;
}

bool HostKeyboard::pointerIsIn(xcb_window_t window) const {
    xcb_connection_t* c = connection_.get();
    auto* pointer = xcb_query_pointer_reply(c, xcb_query_pointer(c, window), nullptr);
    const auto size = connection_.windowSize(window);
    const bool in = pointer && pointer->same_screen && size && pointer->win_x >= 0 && pointer->win_y >= 0 && pointer->win_x < size->width &&
                    pointer->win_y < size->height;
    std::free(pointer);
    return in;
}

bool HostKeyboard::isInside(xcb_window_t window, xcb_window_t ancestor) const {
    for (xcb_window_t w = window; w > XCB_INPUT_FOCUS_POINTER_ROOT; w = connection_.parentOf(w))
        if (w == ancestor) return true;
    return false;
}

void HostKeyboard::giveTo(xcb_window_t to, xcb_timestamp_t time) {
    xcb_connection_t* c = connection_.get();
    if (to == kPointerRoot) {
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_INPUT_FOCUS_POINTER_ROOT, time);
        return;
    }
    // The host's focus window may be gone by now: then its top-level takes the keys.
    const auto given = xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_PARENT, to, time);
    if (xcb_generic_error_t* error = xcb_request_check(c, given)) {
        std::free(error);
        if (to != rules_.topLevel()) xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, rules_.topLevel(), time);
    }
}

void HostKeyboard::offerTakeFocus(xcb_timestamp_t time) {
    const Atoms& atoms = connection_.atoms();
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = rules_.topLevel();
    e.type = atoms.wmProtocols;
    e.data.data32[0] = atoms.wmTakeFocus;
    e.data.data32[1] = time;
    xcb_send_event(connection_.get(), 0, e.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
}

}  // namespace pulvan::x11
