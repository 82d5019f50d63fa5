#include "editor/model/pattern_clipboard_document.h"
#include "editor/store/sequencer_store.h"

#include <exception>
#include <string_view>

namespace pulvan::store {

namespace {
// The pasteboard type under which a pattern travels between editors.
constexpr const char* patternPasteboardType = "com.kezwerk.pulvan.pattern";
}  // namespace

void SequencerStore::copyPatternToPasteboard() {
    if (preset->tracks.empty()) return;
    const auto& patterns = preset->tracks[static_cast<std::size_t>(clampedActiveTrackIndex())].patterns;
    const int slot = activePatternIndex();
    if (slot < 0 || slot >= static_cast<int>(patterns.size())) return;
    model::PatternClipboardDocument document;
    document.pattern = patterns[static_cast<std::size_t>(slot)];
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
    if (preset->tracks.empty()) return;
    const int track = clampedActiveTrackIndex();
    const int slot = activePatternIndex();
    if (slot < 0 || slot >= static_cast<int>(preset->tracks[static_cast<std::size_t>(track)].patterns.size())) return;
    queueNoteRelease(track);
    beginTransaction("Paste pattern");
    preset.modify([&](model::Preset& p) {
        p.tracks[static_cast<std::size_t>(track)].patterns[static_cast<std::size_t>(slot)] = std::move(document.pattern);
    });
    endTransaction();
}

}  // namespace pulvan::store
