#include "editor/model/preset_parser.h"

#include "editor/model/json_tape.h"
#include "editor/model/preset_reading.h"

namespace pulvan::model {

PresetParserError::PresetParserError(Kind kind, std::string version)
    : std::runtime_error("unsupported preset version \"" + version + "\""),
      kind_(kind),
      version_(std::move(version)) {}

PresetParserError PresetParserError::unsupportedVersion(std::string version) {
    return PresetParserError(Kind::unsupportedVersion, std::move(version));
}

Preset PresetParser::parse(std::string_view data) {
    const JsonTape document(data);
    return preset_reading::parsePreset(document.root());
}

PresetParser::LoadResult PresetParser::load(std::string_view data) {
    try {
        return {PresetLoadOutcome::success(), parse(data)};
    } catch (const PresetParserError& error) {
        return {PresetLoadOutcome::unsupportedVersion(error.version()), std::nullopt};
    } catch (const DecodingError&) {
        return {PresetLoadOutcome::corruptData(), std::nullopt};
    }
}

}  // namespace pulvan::model
