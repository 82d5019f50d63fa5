#pragma once
#include "editor/model/preset.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pulvan::model {

// The parser's own error: a version text that is none of "v1" to "v11".
class PresetParserError : public std::runtime_error {
public:
    enum class Kind { unsupportedVersion };

    static PresetParserError unsupportedVersion(std::string version);

    Kind kind() const { return kind_; }
    // The version text as it was written (not lower-cased).
    const std::string& version() const { return version_; }

private:
    PresetParserError(Kind kind, std::string version);
    Kind kind_;
    std::string version_;
};

// What a caller reports after trying to load a stored preset.
struct PresetLoadOutcome {
    enum class Kind { unsupportedVersion, success, corruptData };

    Kind kind = Kind::success;
    std::string version;  // only for unsupportedVersion

    static PresetLoadOutcome success() { return {Kind::success, {}}; }
    static PresetLoadOutcome corruptData() { return {Kind::corruptData, {}}; }
    static PresetLoadOutcome unsupportedVersion(std::string text) { return {Kind::unsupportedVersion, std::move(text)}; }

    friend bool operator==(const PresetLoadOutcome&, const PresetLoadOutcome&) = default;
};

class PresetParser {
public:
    struct VersionProbe {
        std::optional<std::string> version;
    };

    // Checks the version, decodes, migrates and restores left-out lanes. Throws
    // PresetParserError for an unknown version and DecodingError for anything malformed.
    static Preset parse(std::string_view data);

    struct LoadResult {
        PresetLoadOutcome outcome;
        std::optional<Preset> preset;  // set exactly when the outcome is success
    };
    // parse with its errors mapped to outcomes: unsupported version, corrupt data or success.
    static LoadResult load(std::string_view data);
};

}  // namespace pulvan::model
