#include "editor/library/preset_names.h"

#include "platform/foundation/unicode_text.h"

namespace pulvan::library {

std::string sanitizedPresetName(std::string_view name) {
    std::string replaced(name);
    for (char& c : replaced) {
        if (c == '/' || c == ':') c = '-';
    }
    std::string result = foundation::trimmed(replaced);
    if (!result.empty() && result.front() == '.') result.front() = '-';
    return result;
}

std::string cleanedPresetName(std::string_view typed) { return cutName(sanitizedPresetName(typed)); }

std::string cutName(std::string_view text) {
    return foundation::trimmed(foundation::firstCharacters(foundation::trimmed(text), kNameCharacterLimit));
}

bool sameName(std::string_view a, std::string_view b) {
    return foundation::equalIgnoringCase(foundation::trimmed(a), foundation::trimmed(b));
}

std::optional<std::size_t> matchingName(const std::vector<std::string>& names, std::string_view wanted) {
    if (foundation::isBlank(wanted)) return std::nullopt;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == wanted) return i;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (sameName(names[i], wanted)) return i;
    }
    return std::nullopt;
}

}  // namespace pulvan::library
