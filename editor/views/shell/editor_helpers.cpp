#include "editor/views/shell/editor_helpers.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pulvan::views {

int stepColumnAtX(double x, double rowWidth) {
    if (!(rowWidth > 0)) return 0;
    const double column = std::trunc(x / (rowWidth * 0.0625));
    // Clamped before the conversion, so no x can overflow the int.
    return column > 0 ? static_cast<int>(std::min(column, 15.0)) : 0;
}

int semitoneRowAtY(double y, double height) {
    if (!(height > 0)) return 0;
    const double r = 1 - y / height;
    if (!(r > 0)) return 0;
    return static_cast<int>(std::floor(std::min(r, 0.99999) * 12));
}

std::string signedNumberLabel(int value) {
    std::string label = value > 0 ? "+" : "";
    return label += std::to_string(value);
}

std::vector<SignedNumberLabel> signedNumberLabels(int lo, int hi) {
    std::vector<SignedNumberLabel> labels;
    for (long long v = lo; v <= hi; ++v) labels.push_back({signedNumberLabel(static_cast<int>(v)), static_cast<int>(v)});
    return labels;
}

std::string cycleFractionLabel(int value) {
    static constexpr std::array<const char*, 7> fractions{"1/1", "1/2", "2/2", "1/4", "2/4", "3/4", "4/4"};
    if (value >= 0 && value < static_cast<int>(fractions.size())) return fractions[static_cast<std::size_t>(value)];
    return std::to_string(value);
}

void endPressIfActive(bool& pressed, const std::function<void()>& onEnd) {
    if (!pressed) return;
    pressed = false;
    if (onEnd) onEnd();
}

}  // namespace pulvan::views
