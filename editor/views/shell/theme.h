#pragma once
// The editor's one dark theme: named colours, the two accent sources of the first built-in skin.
#include "platform/ui/color.h"

#include <cstdint>
#include <vector>

namespace pulvan::views {

using ui::Color;
using ui::makeSRGBColor;

// From 0xRRGGBB, clamped to 0...0xFFFFFF.
constexpr Color colorFromHex(std::int64_t value) { return ui::colorFromRGB(value); }

// A grey of the given white level, 0 to 1.
constexpr Color greyLevel(double white) { return makeSRGBColor(white, white, white); }

inline constexpr Color editorBackgroundColor = colorFromHex(0x0E0E10);
inline constexpr Color panelBackgroundColor = colorFromHex(0x161618);
inline constexpr Color themeBorderColor = colorFromHex(0x232323);
inline constexpr Color controlBackgroundColor = colorFromHex(0x1C1C20);
inline constexpr Color badgeBackgroundColor = colorFromHex(0x26262B);
inline constexpr Color primaryTextColor = colorFromHex(0xD0D0D3);
inline constexpr Color secondaryTextColor = colorFromHex(0x6B6B70);
inline constexpr Color badgeTextColor = colorFromHex(0xD0D0D3);
inline constexpr Color recordRedColor = colorFromHex(0xC55B5B);
inline constexpr Color soloYellowColor = colorFromHex(0xC7B64D);
inline constexpr Color systemRedColor = colorFromHex(0xFF3B30);  // armed "Copy", "Swap" and "Store", the "Latch" chip
inline constexpr Color infoBlueColor = colorFromHex(0x59A7E8);   // MIDI learn
inline constexpr Color stepMarkerRedColor = colorFromHex(0x78141B);
inline constexpr Color gridBackgroundColor = colorFromHex(0x2A2A2A);

// The first built-in skin's colours, read once on first use.
const Color& globalAccentColor();
const std::vector<Color>& trackAccentColors();

}  // namespace pulvan::views
