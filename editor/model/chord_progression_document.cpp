#include "editor/model/chord_progression_document.h"

#include "editor/model/json_reading.h"
#include "editor/model/json_writer.h"
#include "editor/model/note_lists.h"

#include <algorithm>

namespace pulvan::model {

using namespace json_reading;

namespace {

std::vector<Chord> readChords(const JsonValue& value) { return readList<Chord>(value, readIntegerList<JsonValue>); }

ChordProgressionPresetDocument documentFromJson(const JsonValue& json) {
    requireObject(json, "a chord progression");
    ChordProgressionPresetDocument document;
    document.version = within("version", [&] { return std::string(readString(requiredMember(json, "version"))); });
    document.chords = within("chords", [&] { return readChords(requiredMember(json, "chords")); });
    return document;
}

}  // namespace

ChordProgressionPresetDocument decodeChordProgressionPresetDocument(std::string_view data) {
    const JsonTape tape(data);
    return documentFromJson(tape.root());
}

std::string encodeChordProgressionPresetDocument(const ChordProgressionPresetDocument& document) {
    JsonWriter writer;
    writer.beginObject();
    writer.key("version");
    writer.string(document.version);
    writer.key("chords");
    writer.beginArray();
    for (const Chord& chord : document.chords) writer.numbers(chord);
    writer.endArray();
    writer.endObject();
    return writer.take();
}

std::optional<std::vector<Chord>> decodeChordProgressionPreset(std::string_view data) {
    try {
        const JsonTape tape(data);
        if (tape.root().kind() == JsonKind::object) {
            return buildChordProgressionChords(documentFromJson(tape.root()).chords);
        }
        return buildChordProgressionChords(readChords(tape.root()));
    } catch (const DecodingError&) {
        return std::nullopt;
    }
}

std::vector<Chord> buildChordProgressionChords(const std::vector<Chord>& chords) {
    std::vector<Chord> built;
    built.reserve(kProgressionChordCount);
    const std::size_t kept = std::min(chords.size(), static_cast<std::size_t>(kProgressionChordCount));
    for (std::size_t i = 0; i < kept; ++i) {
        Chord chord;
        chord.reserve(chords[i].size());
        for (const int note : chords[i]) chord.push_back(std::clamp(note, 0, 127));
        built.push_back(sortedUniqueNotes(std::move(chord)));
    }
    built.resize(kProgressionChordCount);
    return built;
}

}  // namespace pulvan::model
