#pragma once

namespace pulvan::foundation {

// Identifiers and escaped file names write hexadecimal in upper case and read either case.
inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

// The digit's value 0...15, or -1 when the character is no hexadecimal digit.
constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace pulvan::foundation
