#pragma once
// Text shaped by pango with the bundled faces. Texts are plain: never markup.
#include "platform/ui/geometry.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pulvan::ui {

enum class FontWeight : unsigned char { light, regular, medium, semibold, bold };
// system: Inter; monospaced: JetBrains Mono.
enum class FontDesign : unsigned char { system, monospaced };
enum class TextAlignment : unsigned char { leading, center, trailing };

struct Font {
    double size = 13;
    FontWeight weight = FontWeight::regular;
    FontDesign design = FontDesign::system;
    bool monospacedDigits = false;  // tabular figures

    static Font system(double size, FontWeight weight = FontWeight::regular) { return {size, weight, FontDesign::system, false}; }
    static Font monospaced(double size, FontWeight weight = FontWeight::regular) { return {size, weight, FontDesign::monospaced, false}; }
    Font withMonospacedDigits() const { return {size, weight, design, true}; }
    friend bool operator==(const Font&, const Font&) = default;
};

struct TextStyle {
    Font font;
    double tracking = 0;  // extra points between letters
    bool uppercase = false;
    int lineLimit = 0;              // 0: as many lines as it takes; 1: one line, cut at the tail with "…"
    double minimumScaleFactor = 1;  // a one-line text shrinks down to this before it is cut
    TextAlignment alignment = TextAlignment::leading;
    friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

// One shaped text, immutable once made.
class TextLayout {
public:
    virtual ~TextLayout() = default;
    virtual Size size() const = 0;
    // Distance from the top to the first line's baseline.
    virtual double firstBaseline() const = 0;
    virtual bool isTruncated() const = 0;
    virtual int lineCount() const = 0;
    // For a caret on the first line: x from the left edge, offsets in bytes of the text as laid out (the given
    // text's own when it is valid UTF-8 without NULs).
    // The offset before or after the character x falls in, by the nearer half; a letter and its marks are one.
    virtual std::size_t offsetAt(double x) const = 0;
    // Where the caret at the offset is drawn: at the right of right-to-left text's start.
    virtual double xOf(std::size_t offset) const = 0;
    // The caret's next stop after the offset, or before it: a letter with its marks, a flag, an emoji with its
    // modifiers is one character.
    virtual std::size_t adjacentCaretOffset(std::size_t offset, bool forward) const = 0;
    // The caret's next stop on screen to the left or the right, as pango moves a cursor over whole characters:
    // against text order in right-to-left runs. At the line's edge the offset itself.
    virtual std::size_t visualCaretOffset(std::size_t offset, bool rightward) const = 0;
    // Where BackSpace at the offset deletes back to: the character before it, or only that character's last mark
    // where its script erases marks one by one (a Devanagari vowel sign, a Hebrew point).
    virtual std::size_t backspaceOffset(std::size_t offset) const = 0;
    // Where the characters between two offsets stand, as spans of x from left to right: more than one where the
    // text runs both ways, and the characters next in text order may stand apart.
    virtual std::vector<std::pair<double, double>> spansOf(std::size_t from, std::size_t to) const = 0;
};

// Makes text layouts and keeps the recent ones: a text laid out again at the same width is not shaped again.
class TextEngine {
public:
    virtual ~TextEngine() = default;
    // The text laid out for a width (none: its natural width). Invalid UTF-8 is replaced first.
    virtual std::shared_ptr<const TextLayout> layout(std::string_view text, const TextStyle& style, std::optional<double> maxWidth) = 0;

    // The engine on the bundled faces, shared by everything on this thread.
    static TextEngine& shared();
};

}  // namespace pulvan::ui
