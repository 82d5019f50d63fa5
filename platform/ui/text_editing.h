#pragma once
// The editing model of a single-line text field: text, caret and selection, moved by whole characters.
#include "platform/ui/text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pulvan::ui {

class TextEditing {
public:
    explicit TextEditing(std::string_view text = {}) { setText(text); }

    const std::string& text() const { return text_; }
    // Byte offsets at character boundaries; the selection runs between anchor and caret.
    std::size_t caret() const { return caret_; }
    std::size_t anchor() const { return anchor_; }
    bool hasSelection() const { return caret_ != anchor_; }
    std::string_view selectedText() const;

    // Replaces the text (invalid UTF-8 replaced, line and paragraph breaks and tabs as spaces, other control
    // characters dropped) and puts the caret at its end; a text that reads as the one there keeps the caret.
    void setText(std::string_view text);
    void selectAll();
    // Moves the caret by characters as the layout of the text has them, the way the arrow points on screen; with
    // extend, the selection grows or shrinks instead of collapsing.
    void moveLeft(bool extend, const TextLayout& layout);
    void moveRight(bool extend, const TextLayout& layout);
    void moveToStart(bool extend);
    void moveToEnd(bool extend);
    void setCaret(std::size_t offset, bool extend);
    // Replaces the selection (or inserts at the caret), its text made one line as setText does.
    void insert(std::string_view typed);
    // The selection, or the character before or after the caret as the layout of the text has it; backward only
    // its last mark where the layout says so.
    void deleteBackward(const TextLayout& layout);
    void deleteForward(const TextLayout& layout);
    void deleteSelection() { replaceSelection({}); }

private:
    void moveAcross(bool rightward, bool extend, const TextLayout& layout);
    void replaceSelection(std::string_view with);
    std::string text_;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
};

// Valid UTF-8: every invalid byte becomes U+FFFD.
std::string validUTF8(std::string_view bytes);
// Valid UTF-8 text as one line shows it: line and paragraph breaks and tabs as spaces, other controls dropped.
std::string oneLine(std::string_view text);

}  // namespace pulvan::ui
