#pragma once
// The size column of the preset browser: decimal kilobytes and megabytes, as file sizes are shown.
#include <cstdint>
#include <optional>
#include <string>

namespace pulvan::views {

// Empty without a size or below 1 byte. Below a megabyte whole kilobytes ("1 KB" at least, so a
// small file never reads as nothing), else megabytes with one decimal when it is not zero
// ("1.5 MB", "12 MB", "5,000 MB"); 1 KB is 1000 bytes.
std::string presetFileSizeLabel(std::optional<std::int64_t> sizeBytes);

}  // namespace pulvan::views
