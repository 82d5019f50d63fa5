#include "editor/library/file_name_coding.h"

#include "platform/foundation/hex_digits.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <optional>

namespace pulvan::library {
namespace {

bool isAllowedInFileName(UChar32 c) {
    if (c == U' ' || c == U'-' || c == U'_') return true;
    switch (u_charType(c)) {
        case U_UPPERCASE_LETTER:
        case U_LOWERCASE_LETTER:
        case U_TITLECASE_LETTER:
        case U_MODIFIER_LETTER:
        case U_OTHER_LETTER:
        case U_NON_SPACING_MARK:
        case U_ENCLOSING_MARK:
        case U_COMBINING_SPACING_MARK:
        case U_DECIMAL_DIGIT_NUMBER:
        case U_LETTER_NUMBER:
        case U_OTHER_NUMBER: return true;
        default: return false;
    }
}

bool isValidUTF8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) return false;
    }
    return true;
}

// The escapes undone, whatever bytes they give; none for a broken escape.
std::optional<std::string> percentDecodedBytes(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = foundation::hexDigitValue(text[i + 1]);
        const int low = foundation::hexDigitValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

// Linux names are bytes: one that is not UTF-8 (an old archive's Latin-1, say) is read as
// Latin-1, so every name the library shows, compares and writes back is valid text.
std::string readableName(std::string bytes) {
    if (isValidUTF8(bytes)) return bytes;
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 0x80) {
            text += byte;
        } else {
            text += static_cast<char>(0xC0 | b >> 6);
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

// A name on disk decoded; left undecoded when an escape is broken.
std::string decodedName(const std::string& component) { return readableName(percentDecodedBytes(component).value_or(component)); }

}  // namespace

std::string percentEncodedFileName(std::string_view name) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(name.data());
    const auto length = static_cast<int32_t>(name.size());
    std::string encoded;
    encoded.reserve(name.size());
    for (int32_t i = 0; i < length;) {
        const int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c >= 0 && isAllowedInFileName(c)) {
            encoded.append(name.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
            continue;
        }
        for (int32_t b = start; b < i; ++b) {
            encoded += '%';
            encoded += foundation::kUpperHexDigits[bytes[b] >> 4];
            encoded += foundation::kUpperHexDigits[bytes[b] & 0xF];
        }
    }
    return encoded;
}

std::optional<std::string> percentDecoded(std::string_view text) {
    auto decoded = percentDecodedBytes(text);
    if (!decoded || !isValidUTF8(*decoded)) return std::nullopt;
    return decoded;
}

std::string decodedFileName(const std::filesystem::path& file) { return decodedName(file.filename().stem().string()); }

std::string decodedFolderName(const std::filesystem::path& folder) { return decodedName(folder.filename().string()); }

std::string jsonFileName(std::string_view name) { return percentEncodedFileName(name) + ".json"; }

std::filesystem::path jsonFileURL(const std::filesystem::path& folder, std::string_view name) { return folder / jsonFileName(name); }

bool hasJSONExtension(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".json";
}

}  // namespace pulvan::library
