#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pulvan::foundation {

// Standard base64 with padding (RFC 4648), for byte values kept inside JSON text.
std::string base64Encode(std::span<const std::uint8_t> bytes);
// None for text that is not canonical padded base64.
std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text);

}  // namespace pulvan::foundation
