#include "editor/views/modals/preset_file_size_label.h"

#include <algorithm>
#include <cmath>

namespace pulvan::views {
namespace {

// Digits of a whole number in groups of three.
std::string grouped(std::int64_t whole) {
    std::string digits = std::to_string(whole);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

}  // namespace

std::string presetFileSizeLabel(std::optional<std::int64_t> sizeBytes) {
    if (!sizeBytes || *sizeBytes < 1) return "";
    const double bytes = static_cast<double>(*sizeBytes);
    const auto kilobytes = static_cast<std::int64_t>(std::llround(bytes / 1e3));
    if (kilobytes < 1000) return grouped(std::max<std::int64_t>(kilobytes, 1)) + " KB";
    const auto tenthsOfMegabytes = static_cast<std::int64_t>(std::llround(bytes / 1e5));
    const std::string tenths = tenthsOfMegabytes % 10 == 0 ? "" : "." + std::to_string(tenthsOfMegabytes % 10);
    return grouped(tenthsOfMegabytes / 10) + tenths + " MB";
}

}  // namespace pulvan::views
