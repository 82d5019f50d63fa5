#include "editor/library/chord_progression_files.h"

#include "editor/library/file_name_coding.h"
#include "editor/library/named_json_files.h"
#include "editor/library/preset_listing.h"
#include "editor/model/chord_progression_document.h"
#include "platform/foundation/atomic_file.h"

#include <algorithm>
#include <system_error>

namespace pulvan::library {
namespace {

// The file listed under exactly this name. Looked up through the listing rather than by
// encoding the name again, so files with undecodable or lower-case escapes are found too.
std::optional<URL> chordProgressionFile(std::string_view name) {
    auto folder = chordProgressionsDirectoryURL(false);
    if (!folder) return std::nullopt;
    for (const URL& file : listJSONFiles(*folder)) {
        if (decodedFileName(file) == name) return file;
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> chordProgressionPresetNames() {
    auto folder = chordProgressionsDirectoryURL(false);
    if (!folder) return {};
    std::vector<std::string> names;
    for (const URL& file : listJSONFiles(*folder)) names.push_back(decodedFileName(file));
    std::sort(names.begin(), names.end());
    return names;
}

bool writeChordProgressionPresetFile(std::string_view name, const std::vector<model::Chord>& chords) {
    auto folder = chordProgressionsDirectoryURL(true);
    if (!folder) return false;
    const model::ChordProgressionPresetDocument document{"v1", model::buildChordProgressionChords(chords)};
    return writeJSONFileReplacingOtherCase(*folder, name, model::encodeChordProgressionPresetDocument(document));
}

bool chordProgressionFileNameFits(std::string_view name) { return nameFitsIn(chordProgressionsDirectoryURL(false), jsonFileName(name)); }

std::optional<std::vector<model::Chord>> readChordProgressionPresetFile(std::string_view name) {
    auto file = chordProgressionFile(name);
    if (!file) return std::nullopt;
    auto read = foundation::readWholeFile(*file);
    if (!read.bytes) return std::nullopt;
    return model::decodeChordProgressionPreset(*read.bytes);
}

bool deleteChordProgressionPresetFile(std::string_view name) {
    auto file = chordProgressionFile(name);
    if (!file) return false;
    std::error_code error;
    return std::filesystem::remove(*file, error) && !error;
}

}  // namespace pulvan::library
