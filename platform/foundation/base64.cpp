#include "platform/foundation/base64.h"

namespace pulvan::foundation {

namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::string base64Encode(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = std::uint32_t(bytes[i]) << 16;
        if (left > 1) group |= std::uint32_t(bytes[i + 1]) << 8;
        if (left > 2) group |= bytes[i + 2];
        out.push_back(alphabet[(group >> 18) & 63]);
        out.push_back(alphabet[(group >> 12) & 63]);
        out.push_back(left > 1 ? alphabet[(group >> 6) & 63] : '=');
        out.push_back(left > 2 ? alphabet[group & 63] : '=');
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
        if (padding == 1 && text[i + 2] == '=') return std::nullopt;
        std::uint32_t group = 0;
        for (int k = 0; k < 4; ++k) {
            const int value = k >= 4 - padding ? 0 : sextet(text[i + k]);
            if (value < 0) return std::nullopt;
            group = (group << 6) | std::uint32_t(value);
        }
        // Bits below the last whole byte must be zero, so every byte string has one spelling.
        if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0)) return std::nullopt;
        out.push_back(std::uint8_t(group >> 16));
        if (padding < 2) out.push_back(std::uint8_t(group >> 8));
        if (padding < 1) out.push_back(std::uint8_t(group));
    }
    return out;
}

}  // namespace pulvan::foundation
