#pragma once
#include "editor/model/pattern.h"

#include <string>
#include <string_view>

namespace pulvan::model {

inline constexpr std::string_view kPatternClipboardType = "pulvan.pattern";

// One pattern travelling on the pasteboard: {"type": "pulvan.pattern", "pattern": {...}}.
struct PatternClipboardDocument {
    std::string type{kPatternClipboardType};
    Pattern pattern;

    friend bool operator==(const PatternClipboardDocument&, const PatternClipboardDocument&) = default;
};

// "type" and "pattern" both required (the type text is not checked here); the pattern comes
// back with all ten lanes. Throws DecodingError.
PatternClipboardDocument decodePatternClipboardDocument(std::string_view data);
// "type" then "pattern", lanes written compactly.
std::string encodePatternClipboardDocument(const PatternClipboardDocument& document);

}  // namespace pulvan::model
