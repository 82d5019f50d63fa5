#include "platform/ui/text_editing.h"

#include <algorithm>

namespace pulvan::ui {

namespace {
// The length of the UTF-8 sequence starting at i, 0 when it is not a valid one.
std::size_t sequenceLength(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    std::size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    std::uint32_t cp = n == 1 ? b : b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (byte(i + k) & 0x3F);
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}
bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

// One line: a line or paragraph break (LF, CR or CR LF, VT, FF, NEL, U+2028, U+2029) or a tab reads as one space,
// as between words. Other control characters, C1 ones too, can be neither shown nor kept in a name; a NUL would
// also be laid out as U+FFFD, three bytes, and the text's offsets would no longer be its layout's. The text is
// valid UTF-8.
std::string oneLine(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    const auto byte = [&](std::size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0; };
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = byte(i);
        if (c == 0xC2 && byte(i + 1) < 0xA0) {  // U+0080 to U+009F
            if (byte(i + 1) == 0x85) out.push_back(' ');
            ++i;
        } else if (c == 0xE2 && byte(i + 1) == 0x80 && (byte(i + 2) == 0xA8 || byte(i + 2) == 0xA9)) {
            out.push_back(' ');
            i += 2;
        } else if (c == '\n' || c == '\t' || c == '\v' || c == '\f' || (c == '\r' && byte(i + 1) != '\n')) {
            out.push_back(' ');
        } else if (c >= 0x20 && c != 0x7F) {
            out.push_back(s[i]);
        }
    }
    return out;
}

std::string validUTF8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = sequenceLength(bytes, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(bytes.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string_view TextEditing::selectedText() const {
    const std::size_t lo = std::min(caret_, anchor_), hi = std::max(caret_, anchor_);
    return std::string_view(text_).substr(lo, hi - lo);
}

void TextEditing::setText(std::string_view text) {
    std::string shown = oneLine(validUTF8(text));
    if (shown == text_) return;
    text_ = std::move(shown);
    caret_ = anchor_ = text_.size();
}

void TextEditing::selectAll() {
    anchor_ = 0;
    caret_ = text_.size();
}

void TextEditing::setCaret(std::size_t offset, bool extend) {
    offset = std::min(offset, text_.size());
    while (offset > 0 && offset < text_.size() && isContinuation(text_[offset])) --offset;
    caret_ = offset;
    if (!extend) anchor_ = caret_;
}

void TextEditing::moveLeft(bool extend, const TextLayout& layout) { moveAcross(false, extend, layout); }
void TextEditing::moveRight(bool extend, const TextLayout& layout) { moveAcross(true, extend, layout); }

void TextEditing::moveAcross(bool rightward, bool extend, const TextLayout& layout) {
    if (hasSelection() && !extend) {
        // The selection collapses to its end on the arrow's side on screen, its start in text order only when
        // the text runs left to right.
        const double caretX = layout.xOf(caret_), anchorX = layout.xOf(anchor_);
        return setCaret((rightward ? caretX > anchorX : caretX < anchorX) ? caret_ : anchor_, false);
    }
    setCaret(layout.visualCaretOffset(caret_, rightward), extend);
}

void TextEditing::moveToStart(bool extend) { setCaret(0, extend); }
void TextEditing::moveToEnd(bool extend) { setCaret(text_.size(), extend); }

void TextEditing::replaceSelection(std::string_view with) {
    const std::size_t lo = std::min(caret_, anchor_), hi = std::max(caret_, anchor_);
    text_.replace(lo, hi - lo, with);
    caret_ = anchor_ = lo + with.size();
}

void TextEditing::insert(std::string_view typed) { replaceSelection(oneLine(validUTF8(typed))); }

void TextEditing::deleteBackward(const TextLayout& layout) {
    if (!hasSelection()) anchor_ = layout.backspaceOffset(caret_);
    replaceSelection({});
}

void TextEditing::deleteForward(const TextLayout& layout) {
    if (!hasSelection()) anchor_ = layout.adjacentCaretOffset(caret_, true);
    replaceSelection({});
}

}  // namespace pulvan::ui
