#include "editor/model/preset_json.h"

#include <algorithm>
#include <functional>

#include "editor/model/json_reading.h"
#include "editor/model/preset_version.h"
#include "editor/model/skin.h"

namespace pulvan::model {

using namespace json_reading;

namespace {

constexpr std::int64_t kMaxMidiValue = 127;
constexpr std::int64_t kMaxOutOffsetMs = 200;

int clampedMidi(std::int64_t value) { return clampedInt(value, 0, kMaxMidiValue); }
int clampedColor(std::int64_t value) { return clampedInt(value, 0, kMaxColorHex); }
int clampedSwing(std::int64_t value) { return clampedInt(value, kMinSwingPercent, kMaxSwingPercent); }
int clampedOutOffset(std::int64_t value) { return clampedInt(value, -kMaxOutOffsetMs, kMaxOutOffsetMs); }

bool everyChordSingle(const std::vector<Chord>& chords) {
    return std::all_of(chords.begin(), chords.end(), [](const Chord& chord) { return chord.size() == 1; });
}

// Reads an enum's raw value; unknown text fails.
template <typename Enum, typename Lookup>
Enum readEnum(const Json& value, Lookup lookup, std::string_view what) {
    const std::string& text = readString(value);
    const auto found = lookup(text);
    if (!found) fail("unknown " + std::string(what) + " \"" + text + "\"");
    return *found;
}

template <typename Value, typename Read>
Value optionalValue(const Json& object, std::string_view key, Value fallback, Read read) {
    const Json* member = optionalMember(object, key);
    if (!member) return fallback;
    return within(key, [&] { return read(*member); });
}

template <typename Read>
decltype(auto) requiredValue(const Json& object, std::string_view key, Read read) {
    const Json& member = requiredMember(object, key);
    return within(key, [&] { return read(member); });
}

std::int64_t readIntegerValue(const Json& value) { return readInteger(value); }
bool readBoolValue(const Json& value) { return readBool(value); }

// Chords: an array of arrays of integers, or nothing when the value has any other shape.
std::optional<std::vector<Chord>> tryChordList(const Json& value) {
    if (!value.is_array()) return std::nullopt;
    std::vector<Chord> chords;
    chords.reserve(value.size());
    for (const Json& entry : value) {
        if (!entry.is_array()) return std::nullopt;
        Chord chord;
        chord.reserve(entry.size());
        for (const Json& note : entry) {
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

std::string readVersionText(const Json& value) {
    const int index = knownPresetVersionIndexIgnoringCase(readString(value));
    return std::string(index < kPresetVersionCount ? presetVersionText(index) : kCurrentPresetVersion);
}

foundation::Uuid readUuid(const Json& value) {
    const std::string& text = readString(value);
    const auto id = foundation::Uuid::parse(text);
    if (!id) fail("not a UUID: \"" + text + "\"");
    return *id;
}

std::optional<int> sceneIndexOrNone(std::int64_t index) {
    if (index < 0 || index >= kSceneCount) return std::nullopt;
    return static_cast<int>(index);
}

}  // namespace

// ---- writing ----

bool laneIsLeftOut(const Lane& lane, LaneKind kind) {
    if (kind == LaneKind::fix) return false;
    if (lane.lastStep != kDefaultLastStep || lane.steps.size() != static_cast<std::size_t>(kMaxLaneSteps)) {
        return false;
    }
    const int fallback = defaultStepValue(kind);
    if (!std::all_of(lane.steps.begin(), lane.steps.end(), [&](int step) { return step == fallback; })) {
        return false;
    }
    return !lane.noteStepChords || everyChordSingle(lane.normalizedChords());
}

void writeLane(JsonWriter& writer, const Lane& lane) {
    writer.beginObject();
    writer.key("lastStep");
    writer.number(lane.lastStep);
    writer.key("steps");
    std::vector<Chord> chords;
    if (lane.noteStepChords) chords = lane.normalizedChords();
    if (!chords.empty() && !everyChordSingle(chords)) {
        writer.beginArray();
        for (const Chord& chord : chords) writer.numbers(chord);
        writer.endArray();
    } else {
        writer.numbers(lane.steps);
    }
    writer.endObject();
}

void writePattern(JsonWriter& writer, const Pattern& pattern) {
    writer.beginObject();
    writer.key("lanes");
    writer.beginArray();
    for (const auto& [kind, lane] : pattern.lanes) {
        if (laneIsLeftOut(lane, kind)) continue;
        writer.string(rawValue(kind));
        writeLane(writer, lane);
    }
    writer.endArray();
    writer.key("direction");
    writer.string(rawValue(pattern.direction));
    writer.key("resolution");
    writer.number(normalizedResolution(pattern.resolution));
    writer.endObject();
}

void writeChordPreset(JsonWriter& writer, const ChordPreset& chordPreset) {
    writer.beginObject();
    writer.key("chord");
    writer.numbers(chordPreset.chord);
    writer.key("patterns");
    writer.beginArray();
    for (const auto& slot : chordPreset.patterns) {
        if (slot) {
            writer.number(*slot);
        } else {
            writer.null();
        }
    }
    writer.endArray();
    writer.endObject();
}

namespace {

// Writes a track's patterns: in full, or from pieces encoded earlier.
using PatternsWriter = std::function<void(JsonWriter&, std::size_t track, const Track&)>;

void writeAllPatterns(JsonWriter& writer, std::size_t, const Track& track) {
    for (const Pattern& pattern : track.patterns) writePattern(writer, pattern);
}

// The values that lead a document; a stored document writes its own in place of the preset's.
struct DocumentHead {
    std::string_view version;
    const std::vector<int>& notesPool;
    std::optional<int> currentSceneIndex;
    const std::optional<std::vector<int>>& currentTrackPatternIndices;
};

void writeTrackWith(JsonWriter& writer, std::size_t index, const Track& track, const PatternsWriter& patterns) {
    const auto field = [&](std::string_view key, std::int64_t value) {
        writer.key(key);
        writer.number(value);
    };
    const auto flag = [&](std::string_view key, bool value) {
        writer.key(key);
        writer.boolean(value);
    };
    writer.beginObject();
    writer.key("id");
    writer.string(track.id.string());
    writer.key("name");
    writer.string(track.name);
    flag("mute", track.mute);
    flag("solo", track.solo);
    field("accent_color", clampedColor(track.accentColorHex));
    field("liveCCA", clampedMidi(track.liveCCA));
    field("liveCCB", clampedMidi(track.liveCCB));
    field("octave", track.octave);
    field("transpose", track.transpose);
    writer.key("outputChord");
    writer.numbers(track.outputChord);
    flag("poly", track.poly);
    field("midiOutputChannel", track.midiOutputChannel);
    field("midiOutOffsetMs", clampedOutOffset(track.midiOutOffsetMs));
    field("ccA", track.ccA);
    field("ccB", track.ccB);
    field("portamentoCC", clampedMidi(track.portamentoCC));
    field("portamentoOnValue", clampedMidi(track.portamentoOnValue));
    field("portamentoOffValue", clampedMidi(track.portamentoOffValue));
    writer.key("fillEmpty");
    writer.string(rawValue(track.fillEmpty));
    writer.key("patterns");
    writer.beginArray();
    patterns(writer, index, track);
    writer.endArray();
    writer.endObject();
}

void writePresetWith(JsonWriter& writer, const Preset& preset, const DocumentHead& head, const PatternsWriter& patterns) {
    writer.beginObject();
    writer.key("version");
    writer.string(head.version);
    writer.key("notesPoolInput");
    writer.string(rawValue(preset.notesPoolInput));
    writer.key("notesPool");
    writer.numbers(head.notesPool);
    writer.key("swing_percent");
    writer.number(clampedSwing(preset.swingPercent));
    writer.key("current_scene_index");
    const auto scene = head.currentSceneIndex ? sceneIndexOrNone(*head.currentSceneIndex) : std::nullopt;
    if (scene) {
        writer.number(*scene);
    } else {
        writer.null();
    }
    const auto indices =
        normalizedPatternIndices(head.currentTrackPatternIndices, static_cast<std::int64_t>(preset.tracks.size()));
    if (indices) {
        writer.key("current_track_pattern_indices");
        writer.numbers(*indices);
    }
    writer.key("scene_launch_resolution");
    writer.number(normalizedLaunchResolution(preset.sceneLaunchResolution));
    writer.key("pattern_launch_resolution");
    writer.number(normalizedLaunchResolution(preset.patternLaunchResolution));
    writer.key("resync_on_new_scene");
    writer.boolean(preset.resyncOnNewScene);
    writer.key("chordPresets");
    writer.beginArray();
    for (const ChordPreset& chordPreset : preset.chordPresets) writeChordPreset(writer, chordPreset);
    writer.endArray();
    writer.key("tracks");
    writer.beginArray();
    for (std::size_t t = 0; t < preset.tracks.size(); ++t) writeTrackWith(writer, t, preset.tracks[t], patterns);
    writer.endArray();
    writer.endObject();
}

DocumentHead headOf(const Preset& preset) {
    return {preset.version, preset.notesPool, preset.currentSceneIndex, preset.currentTrackPatternIndices};
}

}  // namespace

void writeTrack(JsonWriter& writer, const Track& track) { writeTrackWith(writer, 0, track, writeAllPatterns); }

void writePreset(JsonWriter& writer, const Preset& preset) {
    writePresetWith(writer, preset, headOf(preset), writeAllPatterns);
}

std::string encodePreset(const Preset& preset) {
    JsonWriter writer;
    writePreset(writer, preset);
    return writer.take();
}

const std::string& PresetEncoder::patternText(std::size_t track, std::size_t slot, const Pattern& pattern) {
    std::vector<Piece>& pieces = pieces_[track];
    if (pieces.size() <= slot) pieces.resize(slot + 1);
    Piece& piece = pieces[slot];
    if (!piece.encoded || !(piece.pattern == pattern)) {
        piece.pattern = pattern;
        piece.text = encodePattern(pattern);
        piece.encoded = true;
    }
    return piece.text;
}

std::string PresetEncoder::encodeWith(const Preset& preset, std::string_view version, const std::vector<int>& notesPool,
                                      std::optional<int> currentSceneIndex,
                                      const std::optional<std::vector<int>>& currentTrackPatternIndices) {
    pieces_.resize(preset.tracks.size());
    JsonWriter writer;
    writer.reserve(lastSize_ + lastSize_ / 8);  // an edit rarely grows the document by more
    writePresetWith(writer, preset, {version, notesPool, currentSceneIndex, currentTrackPatternIndices},
                    [this](JsonWriter& w, std::size_t t, const Track& track) {
                        for (std::size_t p = 0; p < track.patterns.size(); ++p) w.raw(patternText(t, p, track.patterns[p]));
                        if (pieces_[t].size() > track.patterns.size()) pieces_[t].resize(track.patterns.size());
                    });
    lastSize_ = writer.text().size();
    return writer.take();
}

std::string PresetEncoder::encode(const Preset& preset) {
    return encodeWith(preset, preset.version, preset.notesPool, preset.currentSceneIndex,
                      preset.currentTrackPatternIndices);
}

std::string PresetEncoder::encodeStored(const Preset& preset, std::optional<int> currentSceneIndex,
                                        const std::vector<int>& currentTrackPatternIndices) {
    static const std::vector<int> kNoNotes;
    return encodeWith(preset, kCurrentPresetVersion, kNoNotes, currentSceneIndex, std::optional(currentTrackPatternIndices));
}

std::string encodePattern(const Pattern& pattern) {
    JsonWriter writer;
    writePattern(writer, pattern);
    return writer.take();
}

// ---- reading ----

Lane laneFromJson(const Json& json, LaneKind kind) {
    requireObject(json, "a lane");
    Lane lane;
    // Out of range last steps and short step lists are conformed below, so that every reader
    // of the model may index steps by the last step.
    lane.lastStep = requiredValue(json, "lastStep", [](const Json& v) { return saturatedInt(readInteger(v)); });
    const Json& steps = requiredMember(json, "steps");
    if (auto chords = tryChordList(steps)) {
        lane.steps.reserve(chords->size());
        for (const Chord& chord : *chords) lane.steps.push_back(chord.empty() ? 0 : chord.front());
        lane.noteStepChords = std::move(chords);
        lane.noteStepChords = lane.normalizedChords();
    } else {
        lane.steps = within("steps", [&] { return readIntegerList(steps); });
    }
    conformLaneShape(lane, kind);
    return lane;
}

Pattern patternFromJson(const Json& json) {
    requireObject(json, "a pattern");
    Pattern pattern;
    const Json& lanes = requiredMember(json, "lanes");
    within("lanes", [&] {
        const auto& entries = readArray(lanes);
        if (entries.size() % 2 != 0) fail("lanes must alternate lane kinds and lanes");
        for (std::size_t i = 0; i < entries.size(); i += 2) {
            const LaneKind kind = withinIndex(i, [&] {
                return readEnum<LaneKind>(entries[i], laneKindFromRawValue, "lane kind");
            });
            pattern.lanes.insert_or_assign(kind, withinIndex(i + 1, [&] {
                return laneFromJson(entries[i + 1], kind);
            }));
        }
    });
    pattern.direction = optionalValue(json, "direction", PatternDirection::forward, [](const Json& v) {
        return patternDirectionFromRawValue(readString(v)).value_or(PatternDirection::forward);
    });
    pattern.resolution = optionalValue(json, "resolution", kDefaultResolution,
                                       [](const Json& v) { return normalizedResolution(readInteger(v)); });
    return pattern;
}

ChordPreset chordPresetFromJson(const Json& json) {
    ChordPreset chordPreset;
    if (json.is_array()) {
        chordPreset.chord = readIntegerList(json);
        return chordPreset;
    }
    requireObject(json, "a chord preset");
    chordPreset.chord = optionalValue(json, "chord", std::vector<int>{}, readIntegerList);
    const Json* patterns = optionalMember(json, "patterns");
    if (patterns) {
        const auto slots = within("patterns", [&] {
            return readList<std::optional<int>>(*patterns, [](const Json& v) -> std::optional<int> {
                if (v.is_null()) return std::nullopt;
                return saturatedInt(readInteger(v));
            });
        });
        chordPreset.patterns = normalizedScenePatterns(slots);
    }
    return chordPreset;
}

Track trackFromJson(const Json& json) {
    requireObject(json, "a track");
    Track track;
    const Json* id = optionalMember(json, "id");
    if (id) track.id = within("id", [&] { return readUuid(*id); });
    track.name = requiredValue(json, "name", [](const Json& v) { return readString(v); });
    track.mute = optionalValue(json, "mute", false, readBoolValue);
    track.solo = optionalValue(json, "solo", false, readBoolValue);
    const Json* accent = memberOrLegacy(json, "accent_color", "accentColorHex");
    track.accentColorHex =
        accent ? within("accent_color", [&] { return clampedColor(readInteger(*accent)); }) : defaultTrackAccent(0);
    track.liveCCA = clampedMidi(optionalValue(json, "liveCCA", std::int64_t{0}, readIntegerValue));
    track.liveCCB = clampedMidi(optionalValue(json, "liveCCB", std::int64_t{0}, readIntegerValue));
    track.legacyChromatic = optionalValue(json, "chromatic", false, readBoolValue);
    const std::optional<int> legacyResolution = optionalValue(
        json, "resolution", std::optional<int>{}, [](const Json& v) { return std::optional<int>(normalizedResolution(readInteger(v))); });
    track.octave = saturatedInt(requiredValue(json, "octave", readIntegerValue));
    track.transpose = saturatedInt(requiredValue(json, "transpose", readIntegerValue));
    track.outputChord = requiredValue(json, "outputChord", readIntegerList);
    track.poly = optionalValue(json, "poly", false, readBoolValue);
    track.midiOutputChannel = saturatedInt(requiredValue(json, "midiOutputChannel", readIntegerValue));
    track.midiOutOffsetMs = clampedOutOffset(optionalValue(json, "midiOutOffsetMs", std::int64_t{0}, readIntegerValue));
    track.ccA = saturatedInt(requiredValue(json, "ccA", readIntegerValue));
    track.ccB = saturatedInt(requiredValue(json, "ccB", readIntegerValue));
    track.portamentoCC = clampedMidi(optionalValue(json, "portamentoCC", std::int64_t{0}, readIntegerValue));
    track.portamentoOnValue = clampedMidi(optionalValue(json, "portamentoOnValue", std::int64_t{127}, readIntegerValue));
    track.portamentoOffValue = clampedMidi(optionalValue(json, "portamentoOffValue", std::int64_t{0}, readIntegerValue));
    track.fillEmpty = requiredValue(json, "fillEmpty",
                                    [](const Json& v) { return readEnum<FillEmpty>(v, fillEmptyFromRawValue, "fill mode"); });
    track.patterns = requiredValue(json, "patterns", [](const Json& v) { return readList<Pattern>(v, patternFromJson); });
    if (legacyResolution) {
        for (Pattern& pattern : track.patterns) pattern.resolution = *legacyResolution;
    }
    return track;
}

Preset presetFromJson(const Json& json) {
    requireObject(json, "a preset");
    Preset preset;
    preset.version = optionalValue(json, "version", std::string(kCurrentPresetVersion), readVersionText);
    preset.notesPoolInput = requiredValue(json, "notesPoolInput", [](const Json& v) {
        return readEnum<NotesPoolInput>(v, notesPoolInputFromRawValue, "notes pool input");
    });
    preset.notesPool = requiredValue(json, "notesPool", readIntegerList);

    const auto legacyInteger = [&](std::string_view key, std::string_view legacyKey) -> std::optional<std::int64_t> {
        const Json* member = memberOrLegacy(json, key, legacyKey);
        if (!member) return std::nullopt;
        return within(key, [&] { return readInteger(*member); });
    };
    preset.swingPercent = clampedSwing(legacyInteger("swing_percent", "swingPercent").value_or(kMinSwingPercent));
    const auto scene = legacyInteger("current_scene_index", "currentSceneIndex");
    preset.currentSceneIndex = scene ? sceneIndexOrNone(*scene) : std::nullopt;
    preset.sceneLaunchResolution = normalizedLaunchResolution(
        legacyInteger("scene_launch_resolution", "sceneLaunchResolution").value_or(16));
    preset.patternLaunchResolution = normalizedLaunchResolution(
        legacyInteger("pattern_launch_resolution", "patternLaunchResolution").value_or(16));
    const Json* resync = memberOrLegacy(json, "resync_on_new_scene", "resyncOnNewScene");
    preset.resyncOnNewScene = resync ? within("resync_on_new_scene", [&] { return readBool(*resync); }) : false;

    const Json* indices = memberOrLegacy(json, "current_track_pattern_indices", "currentTrackPatternIndices");
    std::optional<std::vector<int>> patternIndices;
    if (indices) patternIndices = within("current_track_pattern_indices", [&] { return readIntegerList(*indices); });

    preset.chordPresets = requiredValue(json, "chordPresets",
                                        [](const Json& v) { return readList<ChordPreset>(v, chordPresetFromJson); });
    preset.tracks = requiredValue(json, "tracks", [](const Json& v) { return readList<Track>(v, trackFromJson); });
    preset.currentTrackPatternIndices =
        normalizedPatternIndices(patternIndices, static_cast<std::int64_t>(preset.tracks.size()));
    return preset;
}

}  // namespace pulvan::model
