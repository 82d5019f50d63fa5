#pragma once
// The symbols the views name, drawn as small vector icons of our own.
#include "platform/ui/color.h"
#include "platform/ui/display_list.h"
#include "platform/ui/text.h"

#include <optional>
#include <string_view>

namespace pulvan::ui {

enum class Symbol : unsigned char {
    xmark,
    xmarkCircleFill,
    arrowUturnBackward,
    arrowUturnForward,
    line3Horizontal,
    gearshape,
    bolt,
    chevronDown,
    chevronUpChevronDown,
    speakerWave2Fill,
    pin,
    checkmark,
    doc,
    arrowDown,
};

// By the name the views use: "xmark.circle.fill", "chevron.up.chevron.down", ...
std::optional<Symbol> symbolNamed(std::string_view name);

// The size a symbol takes at a font size (as a glyph of that size would).
Size symbolSize(Symbol symbol, double pointSize);

// Draws the symbol fitted and centred in the box; heavier weights stroke thicker.
void drawSymbol(DisplayList& list, Symbol symbol, const Rect& box, FontWeight weight, Color color);

}  // namespace pulvan::ui
