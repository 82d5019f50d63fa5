#include "platform/x11/key_translator.h"

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>
#include <utility>

namespace pulvan::x11 {
namespace {

bool isLatinLetter(xkb_keysym_t keysym) {
    return (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z) || (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z);
}

// A layout types Latin letters when any of its keys has one without modifiers; layouts without (Russian, Greek,
// Hebrew) take their shortcuts' letters from elsewhere.
std::vector<bool> latinLayouts(xkb_keymap* keymap) {
    std::vector<bool> latin(xkb_keymap_num_layouts(keymap));
    const auto scan = [](xkb_keymap* map, xkb_keycode_t key, void* layouts) {
        auto& found = *static_cast<std::vector<bool>*>(layouts);
        for (xkb_layout_index_t layout = 0; layout < xkb_keymap_num_layouts_for_key(map, key); ++layout) {
            const xkb_keysym_t* syms = nullptr;
            if (xkb_keymap_key_get_syms_by_level(map, key, layout, 0, &syms) == 1 && isLatinLetter(syms[0])) found[layout] = true;
        }
    };
    xkb_keymap_key_for_each(keymap, scan, &latin);
    return latin;
}

// The Latin letter a key gives in one layout at the state's modifiers, if any.
xkb_keysym_t latinLetter(xkb_state* state, xkb_keycode_t key, xkb_layout_index_t layout) {
    const xkb_keysym_t* syms = nullptr;
    const xkb_level_index_t level = xkb_state_key_get_level(state, key, layout);
    if (xkb_keymap_key_get_syms_by_level(xkb_state_get_keymap(state), key, layout, level, &syms) == 1 && isLatinLetter(syms[0]))
        return syms[0];
    return XKB_KEY_NoSymbol;
}

// The accent a dead key leaves on its own, where the compose table has nothing for it and a space.
std::string spacingAccent(xkb_keysym_t keysym) {
    static constexpr std::array<std::pair<xkb_keysym_t, const char*>, 13> accents{{
        {XKB_KEY_dead_grave, "`"},
        {XKB_KEY_dead_acute, "\u00B4"},
        {XKB_KEY_dead_circumflex, "^"},
        {XKB_KEY_dead_tilde, "~"},
        {XKB_KEY_dead_macron, "\u00AF"},
        {XKB_KEY_dead_breve, "\u02D8"},
        {XKB_KEY_dead_abovedot, "\u02D9"},
        {XKB_KEY_dead_diaeresis, "\u00A8"},
        {XKB_KEY_dead_abovering, "\u02DA"},
        {XKB_KEY_dead_doubleacute, "\u02DD"},
        {XKB_KEY_dead_caron, "\u02C7"},
        {XKB_KEY_dead_cedilla, "\u00B8"},
        {XKB_KEY_dead_ogonek, "\u02DB"},
    }};
    const auto* found = std::find_if(accents.begin(), accents.end(), [&](const auto& a) { return a.first == keysym; });
    if (found != accents.end()) return found->second;
    char text[8] = {};
    xkb_keysym_to_utf8(keysym, text, sizeof text);
    return static_cast<unsigned char>(text[0]) >= 0x20 ? text : "";
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

KeyTranslator::KeyTranslator(xkb_context* context, xkb_keymap* keymap, xkb_compose_table* compose) : context_(xkb_context_ref(context)) {
    if (compose) compose_ = xkb_compose_state_new(compose, XKB_COMPOSE_STATE_NO_FLAGS);
    setKeymap(keymap);
}

KeyTranslator::~KeyTranslator() {
    xkb_compose_state_unref(compose_);
    xkb_state_unref(state_);
    xkb_state_unref(usState_);
    xkb_context_unref(context_);
}

void KeyTranslator::setKeymap(xkb_keymap* keymap) {
    xkb_state_unref(std::exchange(state_, xkb_state_new(keymap)));
    typesLatin_ = latinLayouts(keymap);
    if (!usState_ && std::ranges::find(typesLatin_, true) == typesLatin_.end()) {
        const xkb_rule_names us{.rules = nullptr, .model = nullptr, .layout = "us", .variant = "", .options = ""};
        if (xkb_keymap* usKeymap = xkb_keymap_new_from_names(context_, &us, XKB_KEYMAP_COMPILE_NO_FLAGS)) {
            usState_ = xkb_state_new(usKeymap);
            xkb_keymap_unref(usKeymap);
        }
    }
    // What was typed under the old keymap begins nothing under the new one.
    endSequence();
}

void KeyTranslator::releaseAll() {
    held_.reset();
    endSequence();
}

void KeyTranslator::endSequence() {
    if (compose_) xkb_compose_state_reset(compose_);
    sequence_.clear();
}

std::optional<ui::KeyEvent> KeyTranslator::translate(xcb_keycode_t keycode, std::uint16_t state, bool pressed) {
    if (!state_) return std::nullopt;
    // The event's own modifier state is the truth at the moment of the key.
    xkb_state_update_mask(state_, state & 0xFF, 0, 0, 0, 0, (state >> 13) & 3);
    ui::KeyEvent event;
    event.pressed = pressed;
    event.keycode = keycode;
    event.isRepeat = pressed && held_[keycode];
    const xkb_keysym_t keysym = xkb_state_key_get_one_sym(state_, keycode);
    event.keysym = (state & XCB_MOD_MASK_CONTROL) ? shortcutKeysym(keycode, keysym, state) : keysym;
    event.modifiers = modifiersFromState(state);
    if (!pressed) {
        held_[keycode] = false;
        return event;
    }
    // A shortcut is never part of a sequence: Ctrl+A after a dead key selects rather than composing an á.
    auto typed = compose(std::move(event), keysym, state & (XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    // A press that gives nothing holds nothing: the views drop repeats of a key whose press they never had, so
    // its first repeat comes as a press. BackSpace held after ending a sequence deletes from that repeat on.
    held_[keycode] = typed.has_value();
    return typed;
}

std::optional<ui::KeyEvent> KeyTranslator::compose(ui::KeyEvent event, std::uint32_t keysym, bool shortcut) {
    if (shortcut) endSequence();
    // The compose state passes over modifier keys, so Shift inside a sequence leaves it as it is.
    const bool fed = compose_ && !shortcut && xkb_compose_state_feed(compose_, keysym) == XKB_COMPOSE_FEED_ACCEPTED;
    switch (fed ? xkb_compose_state_get_status(compose_) : XKB_COMPOSE_NOTHING) {
        case XKB_COMPOSE_COMPOSING: sequence_.push_back(keysym); return std::nullopt;
        case XKB_COMPOSE_COMPOSED: {
            sequence_.clear();
            event.keysym = xkb_compose_state_get_one_sym(compose_);
            char text[64] = {};
            xkb_compose_state_get_utf8(compose_, text, sizeof text);
            event.text = text;
            return event;
        }
        case XKB_COMPOSE_CANCELLED: {
            const std::string begun = sequenceText();
            endSequence();
            if (keysym == XKB_KEY_BackSpace || keysym == XKB_KEY_Escape) return std::nullopt;
            // Another dead key, say, begins a sequence of its own once the one it ended is typed.
            if (xkb_compose_state_feed(compose_, keysym) == XKB_COMPOSE_FEED_ACCEPTED &&
                xkb_compose_state_get_status(compose_) == XKB_COMPOSE_COMPOSING) {
                sequence_.push_back(keysym);
                if (begun.empty()) return std::nullopt;
                event.text = begun;
                return event;
            }
            xkb_compose_state_reset(compose_);
            // A key that types nothing (Return, an arrow, a shortcut) acts as it would outside a sequence.
            if (const std::string own = typedText(event.keycode); !own.empty()) event.text = begun + own;
            return event;
        }
        case XKB_COMPOSE_NOTHING: event.text = typedText(event.keycode); return event;
    }
    return event;
}

// Ctrl with the key marked C copies under a layout of another script, as desktop toolkits have it, while a
// Latin layout keeps its own keys: French Ctrl+, is not Ctrl+M.
std::uint32_t KeyTranslator::shortcutKeysym(xcb_keycode_t keycode, std::uint32_t keysym, std::uint16_t state) {
    const xkb_layout_index_t active = xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_EFFECTIVE);
    if (active < typesLatin_.size() && typesLatin_[active]) return keysym;
    xkb_keysym_t letter = XKB_KEY_NoSymbol;
    if (const auto latin = std::ranges::find(typesLatin_, true); latin != typesLatin_.end()) {
        letter = latinLetter(state_, keycode, static_cast<xkb_layout_index_t>(latin - typesLatin_.begin()));
    } else if (usState_) {
        // The key in the same place on a US keyboard: keys are named by their place, and the numbers of the
        // places differ between keyboards (evdev's, a Macintosh's).
        const char* name = xkb_keymap_key_get_name(xkb_state_get_keymap(state_), keycode);
        const xkb_keycode_t usKey = name ? xkb_keymap_key_by_name(xkb_state_get_keymap(usState_), name) : XKB_KEYCODE_INVALID;
        if (usKey != XKB_KEYCODE_INVALID) {
            xkb_state_update_mask(usState_, state & 0xFF, 0, 0, 0, 0, 0);
            letter = latinLetter(usState_, usKey, 0);
        }
    }
    return letter != XKB_KEY_NoSymbol ? letter : keysym;
}

// Control characters (Ctrl+letter, Return, Backspace) are editing keys, not text.
std::string KeyTranslator::typedText(std::uint32_t keycode) const {
    char text[64] = {};
    xkb_state_key_get_utf8(state_, keycode, text, sizeof text);
    const auto first = static_cast<unsigned char>(text[0]);
    return first >= 0x20 && first != 0x7F ? text : "";
}

// What the sequence begun types when a key ends it without composing: what the table makes of it with a
// space (' for US International's dead acute), else each key's own spacing character.
std::string KeyTranslator::sequenceText() const {
    xkb_compose_state* probe = xkb_compose_state_new(xkb_compose_state_get_compose_table(compose_), XKB_COMPOSE_STATE_NO_FLAGS);
    if (!probe) return {};
    for (const xkb_keysym_t keysym : sequence_) xkb_compose_state_feed(probe, keysym);
    xkb_compose_state_feed(probe, XKB_KEY_space);
    char text[64] = {};
    if (xkb_compose_state_get_status(probe) == XKB_COMPOSE_COMPOSED) xkb_compose_state_get_utf8(probe, text, sizeof text);
    xkb_compose_state_unref(probe);
    std::string typed = text;
    if (typed.empty())
        for (const xkb_keysym_t keysym : sequence_) typed += spacingAccent(keysym);
    return typed;
}

}  // namespace pulvan::x11
