#pragma once
// Colours in sRGB with straight (not premultiplied) opacity.
#include <algorithm>

namespace pulvan::ui {

struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    constexpr Color opacity(double factor) const { return {red, green, blue, alpha * factor}; }
    friend constexpr bool operator==(const Color&, const Color&) = default;

    static constexpr Color white() { return {1, 1, 1, 1}; }
    static constexpr Color black() { return {0, 0, 0, 1}; }
    static constexpr Color clear() { return {0, 0, 0, 0}; }
};

// An sRGB colour with opacity 1 from three components in 0...1.
constexpr Color makeSRGBColor(double red, double green, double blue) { return {red, green, blue, 1}; }

// 0xRRGGBB, clamped to 0...0xFFFFFF.
constexpr Color colorFromRGB(long long value) {
    const long long v = std::clamp<long long>(value, 0, 0xFFFFFF);
    return makeSRGBColor(static_cast<double>(v >> 16) / 255, static_cast<double>((v >> 8) & 0xFF) / 255,
                         static_cast<double>(v & 0xFF) / 255);
}

}  // namespace pulvan::ui
