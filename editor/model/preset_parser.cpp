#include "editor/model/preset_parser.h"

#include "editor/model/json_reading.h"
#include "editor/model/preset_json.h"
#include "editor/model/preset_migration.h"
#include "editor/model/preset_version.h"

namespace pulvan::model {

using namespace json_reading;

namespace {

PresetParser::VersionProbe probeVersion(const Json& document) {
    requireObject(document, "a preset");
    PresetParser::VersionProbe probe;
    if (const Json* version = optionalMember(document, "version")) {
        probe.version = within("version", [&] { return readString(*version); });
    }
    return probe;
}

}  // namespace

PresetParserError::PresetParserError(Kind kind, std::string version)
    : std::runtime_error("unsupported preset version \"" + version + "\""), kind_(kind), version_(std::move(version)) {}

PresetParserError PresetParserError::unsupportedVersion(std::string version) {
    return PresetParserError(Kind::unsupportedVersion, std::move(version));
}

Preset PresetParser::parse(std::string_view data) {
    const Json document = parseDocument(data);
    const VersionProbe probe = probeVersion(document);
    int versionIndex = 0;  // a preset without a version is from the first format
    if (probe.version && !probe.version->empty()) {
        versionIndex = knownPresetVersionIndexIgnoringCase(*probe.version);
        if (versionIndex >= kPresetVersionCount) throw PresetParserError::unsupportedVersion(*probe.version);
    }
    Preset preset = presetFromJson(document);
    migratePreset(preset, versionIndex);
    normalizePatterns(preset);
    makeTrackIdsUnique(preset);
    return preset;
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
