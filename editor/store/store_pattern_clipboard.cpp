#include "editor/model/pattern_clipboard_document.h"
#include "editor/store/sequencer_store.h"

#include <exception>
#include <string_view>

namespace pulvan::store {

void SequencerStore::copyPatternToPasteboard() {
    const model::Pattern* pattern = activePattern();
    if (!pattern) return;
    model::PatternClipboardDocument document;
    document.pattern = *pattern;
    const std::string text = model::encodePatternClipboardDocument(document);
    services_.pasteboard.clearContents();
    services_.pasteboard.setData(patternPasteboardType, {text.begin(), text.end()});
}

void SequencerStore::pastePatternFromPasteboard() {
    const auto bytes = services_.pasteboard.data(patternPasteboardType);
    if (!bytes) return;
    model::PatternClipboardDocument document;
    try {
        document = model::decodePatternClipboardDocument(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    } catch (const std::exception&) {
        return;  // foreign or damaged data: nothing changes
    }
    if (document.type != model::kPatternClipboardType) return;
    if (!activePattern()) return;
    commitIfChanged(
        "Paste pattern", [&](model::Preset& copy) { activePatternIn(copy) = std::move(document.pattern); },
        [this] { queueNoteRelease(clampedActiveTrackIndex()); });
}

}  // namespace pulvan::store
