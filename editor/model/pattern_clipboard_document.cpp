#include "editor/model/pattern_clipboard_document.h"

#include "editor/model/preset_json.h"
#include "editor/model/preset_reading.h"

namespace pulvan::model {

using namespace preset_reading;

PatternClipboardDocument decodePatternClipboardDocument(std::string_view data) {
    const JsonTape tape(data);
    const JsonValue json = tape.root();
    requireObject(json, "a clipboard document");
    PatternClipboardDocument document;
    document.type = within("type", [&] { return std::string(readString(requiredMember(json, "type"))); });
    document.pattern = within("pattern", [&] { return readPattern(requiredMember(json, "pattern")); });
    // The writer leaves default lanes out; a pasted pattern must come back whole.
    restoreMissingLanes(document.pattern);
    return document;
}

std::string encodePatternClipboardDocument(const PatternClipboardDocument& document) {
    JsonWriter writer;
    writer.beginObject();
    writer.key("type");
    writer.string(document.type);
    writer.key("pattern");
    writePattern(writer, document.pattern);
    writer.endObject();
    return writer.take();
}

}  // namespace pulvan::model
