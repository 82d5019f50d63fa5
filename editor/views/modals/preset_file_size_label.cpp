#include "editor/views/modals/preset_file_size_label.h"

#include <algorithm>
#include <cmath>

namespace pulvan::views {
namespace {

// Digits of a whole number in groups of three.
std::string grouped(std::int64_t whole) {
    const std::string digits = std::to_string(whole);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

}  // namespace

std::string presetFileSizeLabel(std::optional<std::int64_t> sizeBytes) {
    if (!sizeBytes || *sizeBytes < 1) return "";
    const double bytes = static_cast<double>(*sizeBytes);
    const auto kilobytes = static_cast<std::int64_t>(std::llround(bytes / 1e3));
    if (kilobytes < 1000) return grouped(std::max<std::int64_t>(kilobytes, 1)) + " KB";
    const auto tenthsOfMegabytes = static_cast<std::int64_t>(std::llround(bytes / 1e5));
    std::string label = grouped(tenthsOfMegabytes / 10);
    if (tenthsOfMegabytes % 10 != 0) label.append(".").append(std::to_string(tenthsOfMegabytes % 10));
    return label.append(" MB");
}

}  // namespace pulvan::views
