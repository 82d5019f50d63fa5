#include "editor/library/preset_names.h"

#include "editor/library/unicode_text.h"

namespace pulvan::library {

std::string sanitizedPresetName(std::string_view name) {
    std::string replaced(name);
    for (char& c : replaced) {
        if (c == '/' || c == ':') c = '-';
    }
    std::string result = trimmed(replaced);
    if (!result.empty() && result.front() == '.') result.front() = '-';
    return result;
}

std::string cleanedPresetName(std::string_view typed) {
    return firstCharacters(sanitizedPresetName(typed), kNameCharacterLimit);
}

}  // namespace pulvan::library
