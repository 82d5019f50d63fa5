#pragma once
// Keys as the views receive them, from a keymap and a compose table alone: keysyms and the text a key types,
// dead keys and Compose sequences, repeats told apart, and shortcuts with Latin letters under any layout.
#include "platform/ui/events.h"

#include <xcb/xcb.h>

#include <bitset>
#include <optional>
#include <string>
#include <vector>

struct xkb_compose_state;
struct xkb_compose_table;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace pulvan::x11 {

class KeyTranslator {
public:
    // The context makes the US keymap that shortcuts fall back on; without a compose table, dead keys type
    // nothing of their own. The translator holds references to all three.
    KeyTranslator(xkb_context* context, xkb_keymap* keymap, xkb_compose_table* compose);
    ~KeyTranslator();
    KeyTranslator(const KeyTranslator&) = delete;
    KeyTranslator& operator=(const KeyTranslator&) = delete;

    // The keyboard or its layouts changed: a sequence begun ends, keys held stay held.
    void setKeymap(xkb_keymap* keymap);

    // A key press or release with an X event's modifier state; none for the presses of a compose sequence
    // before its last one, nor for a BackSpace or Escape that ends a sequence. A key that ends a sequence
    // without composing types the sequence's own characters before its text, or acts as it would outside a
    // sequence; so does a key with Control or Alt, which ends a sequence without typing it. With Control
    // held, the keys of a layout that types no Latin letters take those of the first layout that does, else
    // those of the same place on a US keyboard.
    std::optional<ui::KeyEvent> translate(xcb_keycode_t keycode, std::uint16_t state, bool pressed);
    // Focus left: no key counts as held any more, and a sequence begun is dropped.
    void releaseAll();

private:
    std::optional<ui::KeyEvent> compose(ui::KeyEvent event, std::uint32_t keysym, bool shortcut);
    std::uint32_t shortcutKeysym(xcb_keycode_t keycode, std::uint32_t keysym, std::uint16_t state);
    std::string typedText(std::uint32_t keycode) const;
    std::string sequenceText() const;
    void endSequence();

    xkb_context* context_;
    xkb_state* state_ = nullptr;            // holds the keymap
    xkb_compose_state* compose_ = nullptr;  // holds the table
    std::vector<bool> typesLatin_;          // for each layout of the keymap
    xkb_state* usState_ = nullptr;          // a US keyboard's, from the first keymap with no Latin layout on
    std::vector<std::uint32_t> sequence_;   // the keysyms of the sequence begun
    std::bitset<256> held_;
};

// The layer's modifiers from an X event's state.
unsigned modifiersFromState(std::uint16_t state);

}  // namespace pulvan::x11
