#include "editor/model/preset_json.h"

#include "editor/model/preset_coding_bounds.h"
#include "editor/model/preset_version.h"

#include <algorithm>
#include <functional>

namespace pulvan::model {

using namespace coding_bounds;

namespace {

bool everyChordSingle(const std::vector<Chord>& chords) {
    return std::all_of(chords.begin(), chords.end(), [](const Chord& chord) { return chord.size() == 1; });
}

}  // namespace

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
    const auto indices = normalizedPatternIndices(head.currentTrackPatternIndices, static_cast<std::int64_t>(preset.tracks.size()));
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

void writePreset(JsonWriter& writer, const Preset& preset) { writePresetWith(writer, preset, headOf(preset), writeAllPatterns); }

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
    return encodeWith(preset, preset.version, preset.notesPool, preset.currentSceneIndex, preset.currentTrackPatternIndices);
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

}  // namespace pulvan::model
