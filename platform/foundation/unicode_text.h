#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text helpers for names the user types: all strings are UTF-8.
namespace pulvan::foundation {

// Removes white space and line breaks (Unicode White_Space) at both ends.
std::string trimmed(std::string_view text);

// True when the text is empty after trimming.
bool isBlank(std::string_view text);

// The first `count` user-perceived characters (extended grapheme clusters).
std::string firstCharacters(std::string_view text, std::size_t count);

// Equality under Unicode case folding only (no locale, no diacritic folding).
bool equalIgnoringCase(std::string_view a, std::string_view b);

// Case-insensitive ordering in the user's locale; ties fall back to byte order so
// that sorting is stable across directory listings.
bool localizedCaseInsensitiveLess(std::string_view a, std::string_view b);

}  // namespace pulvan::foundation
