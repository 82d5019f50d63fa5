#pragma once
#include "editor/model/json_reading.h"
#include "editor/model/preset.h"
#include "editor/model/preset_coding_bounds.h"
#include "editor/model/preset_migration.h"
#include "editor/model/preset_parser.h"
#include "editor/model/preset_version.h"
#include "editor/model/skin.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

// Reading the preset coding from JSON values (see json_reading.h): the current snake_case keys
// and the legacy camelCase ones, out of range numbers clamped instead of rejected.
namespace pulvan::model::preset_reading {

using namespace json_reading;
using namespace coding_bounds;

// Reads an enum's raw value; unknown text fails.
template <typename Enum, typename Value, typename Lookup>
Enum readEnum(const Value& value, Lookup lookup, std::string_view what) {
    const std::string_view text = readString(value);
    const auto found = lookup(text);
    if (!found) fail("unknown " + std::string(what) + " \"" + std::string(text) + "\"");
    return *found;
}

template <typename Result, typename Value, typename Read>
Result optionalValue(const Value& object, std::string_view key, Result fallback, Read read) {
    const auto member = optionalMember(object, key);
    if (!member) return fallback;
    return within(key, [&] { return read(*member); });
}

template <typename Value, typename Read>
decltype(auto) requiredValue(const Value& object, std::string_view key, Read read) {
    const Value member = requiredMember(object, key);
    return within(key, [&] { return read(member); });
}

template <typename Value>
std::int64_t readIntegerValue(const Value& value) {
    return readInteger(value);
}
template <typename Value>
bool readBoolValue(const Value& value) {
    return readBool(value);
}

// Chords: an array of arrays of integers, or nothing when the value has any other shape.
template <typename Value>
std::optional<std::vector<Chord>> tryChordList(const Value& value) {
    if (value.kind() != JsonKind::array) return std::nullopt;
    std::vector<Chord> chords;
    chords.reserve(value.size());
    for (const Value entry : value.elements()) {
        if (entry.kind() != JsonKind::array) return std::nullopt;
        Chord chord;
        chord.reserve(entry.size());
        for (const Value note : entry.elements()) {
            try {
                chord.push_back(saturatedInt(readInteger(note)));
            } catch (const DecodingError&) {
                return std::nullopt;
            }
        }
        chords.push_back(std::move(chord));
    }
    return chords;
}

template <typename Value>
std::string readVersionText(const Value& value) {
    const int index = knownPresetVersionIndexIgnoringCase(readString(value));
    return std::string(index < kPresetVersionCount ? presetVersionText(index) : kCurrentPresetVersion);
}

template <typename Value>
foundation::Uuid readUuid(const Value& value) {
    const std::string_view text = readString(value);
    const auto id = foundation::Uuid::parse(text);
    if (!id) fail("not a UUID: \"" + std::string(text) + "\"");
    return *id;
}

template <typename Value>
Lane readLane(const Value& json, LaneKind kind) {
    requireObject(json, "a lane");
    Lane lane;
    // Out of range last steps and short step lists are conformed below, so that every reader
    // of the model may index steps by the last step.
    lane.lastStep = requiredValue(json, "lastStep", [](const Value& v) { return saturatedInt(readInteger(v)); });
    const Value steps = requiredMember(json, "steps");
    if (auto chords = tryChordList(steps)) {
        lane.steps.reserve(chords->size());
        for (const Chord& chord : *chords) lane.steps.push_back(chord.empty() ? 0 : chord.front());
        // What normalizedChords would make of them, without copying every chord: a chord
        // already starts with its step, an empty one becomes the single note 0.
        for (Chord& chord : *chords) {
            if (chord.empty()) chord.push_back(0);
        }
        lane.noteStepChords = std::move(chords);
    } else {
        lane.steps = within("steps", [&] { return readIntegerList(steps); });
    }
    conformLaneShape(lane, kind);
    return lane;
}

template <typename Value>
Pattern readPattern(const Value& json) {
    requireObject(json, "a pattern");
    Pattern pattern;
    const Value lanes = requiredMember(json, "lanes");
    within("lanes", [&] {
        const auto entries = readArray(lanes);
        if (lanes.size() % 2 != 0) fail("lanes must alternate lane kinds and lanes");
        std::size_t i = 0;
        for (auto entry = entries.begin(); entry != entries.end(); ++entry, i += 2) {
            const LaneKind kind = withinIndex(i, [&] { return readEnum<LaneKind>(*entry, laneKindFromRawValue, "lane kind"); });
            ++entry;
            pattern.lanes.insert_or_assign(kind, withinIndex(i + 1, [&] { return readLane(*entry, kind); }));
        }
    });
    pattern.direction = optionalValue(json, "direction", PatternDirection::forward, [](const Value& v) {
        return patternDirectionFromRawValue(readString(v)).value_or(PatternDirection::forward);
    });
    pattern.resolution =
        optionalValue(json, "resolution", kDefaultResolution, [](const Value& v) { return normalizedResolution(readInteger(v)); });
    return pattern;
}

template <typename Value>
ChordPreset readChordPreset(const Value& json) {
    ChordPreset chordPreset;
    if (json.kind() == JsonKind::array) {
        chordPreset.chord = readIntegerList(json);
        return chordPreset;
    }
    requireObject(json, "a chord preset");
    chordPreset.chord = optionalValue(json, "chord", std::vector<int>{}, readIntegerList<Value>);
    if (const auto patterns = optionalMember(json, "patterns")) {
        const auto slots = within("patterns", [&] {
            return readList<std::optional<int>>(*patterns, [](const Value& v) -> std::optional<int> {
                if (v.kind() == JsonKind::null) return std::nullopt;
                return saturatedInt(readInteger(v));
            });
        });
        chordPreset.patterns = normalizedScenePatterns(slots);
    }
    return chordPreset;
}

template <typename Value>
Track readTrack(const Value& json) {
    requireObject(json, "a track");
    Track track;
    if (const auto id = optionalMember(json, "id")) track.id = within("id", [&] { return readUuid(*id); });
    track.name = requiredValue(json, "name", [](const Value& v) { return std::string(readString(v)); });
    track.mute = optionalValue(json, "mute", false, readBoolValue<Value>);
    track.solo = optionalValue(json, "solo", false, readBoolValue<Value>);
    const auto accent = memberOrLegacy(json, "accent_color", "accentColorHex");
    track.accentColorHex = accent ? within("accent_color", [&] { return clampedColor(readInteger(*accent)); }) : defaultTrackAccent(0);
    const auto integer = [&](std::string_view key, std::int64_t fallback) {
        return optionalValue(json, key, fallback, readIntegerValue<Value>);
    };
    const auto requiredInteger = [&](std::string_view key) { return saturatedInt(requiredValue(json, key, readIntegerValue<Value>)); };
    track.liveCCA = clampedMidi(integer("liveCCA", 0));
    track.liveCCB = clampedMidi(integer("liveCCB", 0));
    track.legacyChromatic = optionalValue(json, "chromatic", false, readBoolValue<Value>);
    const std::optional<int> legacyResolution = optionalValue(
        json, "resolution", std::optional<int>{}, [](const Value& v) { return std::optional<int>(normalizedResolution(readInteger(v))); });
    track.octave = requiredInteger("octave");
    track.transpose = requiredInteger("transpose");
    track.outputChord = requiredValue(json, "outputChord", readIntegerList<Value>);
    track.poly = optionalValue(json, "poly", false, readBoolValue<Value>);
    track.midiOutputChannel = requiredInteger("midiOutputChannel");
    track.midiOutOffsetMs = clampedOutOffset(integer("midiOutOffsetMs", 0));
    track.ccA = requiredInteger("ccA");
    track.ccB = requiredInteger("ccB");
    track.portamentoCC = clampedMidi(integer("portamentoCC", 0));
    track.portamentoOnValue = clampedMidi(integer("portamentoOnValue", 127));
    track.portamentoOffValue = clampedMidi(integer("portamentoOffValue", 0));
    track.fillEmpty =
        requiredValue(json, "fillEmpty", [](const Value& v) { return readEnum<FillEmpty>(v, fillEmptyFromRawValue, "fill mode"); });
    track.patterns = requiredValue(json, "patterns", [](const Value& v) { return readList<Pattern>(v, readPattern<Value>); });
    if (legacyResolution) {
        for (Pattern& pattern : track.patterns) pattern.resolution = *legacyResolution;
    }
    return track;
}

// The document as it stands: no version check, migration or restoring of left-out lanes.
template <typename Value>
Preset readPreset(const Value& json) {
    requireObject(json, "a preset");
    Preset preset;
    preset.version = optionalValue(json, "version", std::string(kCurrentPresetVersion), readVersionText<Value>);
    preset.notesPoolInput = requiredValue(
        json, "notesPoolInput", [](const Value& v) { return readEnum<NotesPoolInput>(v, notesPoolInputFromRawValue, "notes pool input"); });
    preset.notesPool = requiredValue(json, "notesPool", readIntegerList<Value>);

    const auto legacyInteger = [&](std::string_view key, std::string_view legacyKey) -> std::optional<std::int64_t> {
        const auto member = memberOrLegacy(json, key, legacyKey);
        if (!member) return std::nullopt;
        return within(key, [&] { return readInteger(*member); });
    };
    preset.swingPercent = clampedSwing(legacyInteger("swing_percent", "swingPercent").value_or(kMinSwingPercent));
    const auto scene = legacyInteger("current_scene_index", "currentSceneIndex");
    preset.currentSceneIndex = scene ? sceneIndexOrNone(*scene) : std::nullopt;
    preset.sceneLaunchResolution =
        normalizedLaunchResolution(legacyInteger("scene_launch_resolution", "sceneLaunchResolution").value_or(16));
    preset.patternLaunchResolution =
        normalizedLaunchResolution(legacyInteger("pattern_launch_resolution", "patternLaunchResolution").value_or(16));
    const auto resync = memberOrLegacy(json, "resync_on_new_scene", "resyncOnNewScene");
    preset.resyncOnNewScene = resync ? within("resync_on_new_scene", [&] { return readBool(*resync); }) : false;

    const auto indices = memberOrLegacy(json, "current_track_pattern_indices", "currentTrackPatternIndices");
    std::optional<std::vector<int>> patternIndices;
    if (indices) patternIndices = within("current_track_pattern_indices", [&] { return readIntegerList(*indices); });

    preset.chordPresets =
        requiredValue(json, "chordPresets", [](const Value& v) { return readList<ChordPreset>(v, readChordPreset<Value>); });
    preset.tracks = requiredValue(json, "tracks", [](const Value& v) { return readList<Track>(v, readTrack<Value>); });
    preset.currentTrackPatternIndices = normalizedPatternIndices(patternIndices, static_cast<std::int64_t>(preset.tracks.size()));
    return preset;
}

template <typename Value>
PresetParser::VersionProbe probeVersion(const Value& document) {
    requireObject(document, "a preset");
    PresetParser::VersionProbe probe;
    if (const auto version = optionalMember(document, "version")) {
        probe.version = within("version", [&] { return std::string(readString(*version)); });
    }
    return probe;
}

// The whole parse of a stored preset: the version first (an unknown one throws
// PresetParserError before anything else is read), then reading, migration, left-out lanes.
template <typename Value>
Preset parsePreset(const Value& document) {
    const PresetParser::VersionProbe probe = probeVersion(document);
    int versionIndex = 0;  // a preset without a version is from the first format
    if (probe.version && !probe.version->empty()) {
        versionIndex = knownPresetVersionIndexIgnoringCase(*probe.version);
        if (versionIndex >= kPresetVersionCount) throw PresetParserError::unsupportedVersion(*probe.version);
    }
    Preset preset = readPreset(document);
    migratePreset(preset, versionIndex);
    normalizePatterns(preset);
    makeTrackIdsUnique(preset);
    return preset;
}

}  // namespace pulvan::model::preset_reading
