#include "editor/model/pattern_clipboard_document.h"

#include "editor/model/json_reading.h"
#include "editor/model/preset_json.h"

namespace pulvan::model {

using namespace json_reading;

PatternClipboardDocument decodePatternClipboardDocument(std::string_view data) {
    const Json json = parseDocument(data);
    requireObject(json, "a clipboard document");
    PatternClipboardDocument document;
    document.type = within("type", [&] { return readString(requiredMember(json, "type")); });
    document.pattern = within("pattern", [&] { return patternFromJson(requiredMember(json, "pattern")); });
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
