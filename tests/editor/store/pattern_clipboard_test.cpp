#include "editor/model/pattern_clipboard_document.h"
#include "tests/editor/store/store_fixture.h"

#include <string>

namespace pulvan::test {

namespace {

constexpr const char* patternType = "com.kezwerk.pulvan.pattern";

void setGate(store::SequencerStore& store, int step, int value) {
    store.beginTransaction("Gate");
    store.preset.modify([&](model::Preset& p) { p.tracks[0].patterns[0].lane(model::LaneKind::gate).steps[step] = value; });
    store.endTransaction();
}

}  // namespace

TEST_F(StoreTest, CopyReplacesTheBoardAndPasteRestoresThePatternAsOneUndoStep) {
    auto store = makeStore();
    setGate(*store, 3, 1);
    const model::Pattern copied = store->preset->tracks[0].patterns[0];
    const std::string text = "older text";
    pasteboard.setData(foundation::Pasteboard::textType, {text.begin(), text.end()});
    store->copyPatternToPasteboard();
    EXPECT_FALSE(pasteboard.data(foundation::Pasteboard::textType).has_value());
    const auto bytes = pasteboard.data(patternType);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(model::decodePatternClipboardDocument(std::string(bytes->begin(), bytes->end())).type, "pulvan.pattern");
    EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + 8), R"({"type":)") << "type is written first";
    setGate(*store, 3, 0);
    store->beginTransaction("Direction");
    store->preset.modify([](model::Preset& p) { p.tracks[0].patterns[0].direction = model::PatternDirection::pingPong2; });
    store->endTransaction();
    refreshes.clear();

    store->pastePatternFromPasteboard();
    EXPECT_EQ(store->preset->tracks[0].patterns[0], copied);
    EXPECT_EQ(store->history().label(store->history().index()), "Paste pattern");
    ASSERT_EQ(refreshes.size(), 1u);
    EXPECT_EQ(refreshes[0].queuedReleases, std::set<int>{0}) << "the active track's notes are released with the refresh";
    store->undo();
    EXPECT_EQ(store->preset->tracks[0].patterns[0].direction, model::PatternDirection::pingPong2);
}

TEST_F(StoreTest, PastingIntoAnotherEditorFillsItsSelectedSlot) {
    auto source = makeStore();
    setGate(*source, 0, 1);
    source->copyPatternToPasteboard();

    model::Preset preset = model::defaultPreset();
    auto target = makeStore(preset);
    target->selections.set({{preset.tracks[0].id, store::TrackSelection{6, 0}}});
    target->pastePatternFromPasteboard();
    EXPECT_EQ(target->preset->tracks[0].patterns[6], source->preset->tracks[0].patterns[0]);
    EXPECT_EQ(target->preset->tracks[0].patterns[0], preset.tracks[0].patterns[0]);
}

TEST_F(StoreTest, ForeignDamagedOrMissingClipboardContentIsIgnored) {
    auto store = makeStore();
    model::PatternClipboardDocument otherType;
    otherType.type = "other.pattern";
    const std::string wrongType = model::encodePatternClipboardDocument(otherType);
    const std::string pattern = patternType, text = foundation::Pasteboard::textType;
    store->copyPatternToPasteboard();
    for (const auto& [type, content] :
         std::vector<std::pair<std::string, std::string>>{{pattern, wrongType},
                                                          {pattern, R"({"type":"pulvan.pattern"})"},
                                                          {pattern, "{\"type\":\"pulvan.pattern\",\"pattern\":"},
                                                          {pattern, "\xff\xfe"},
                                                          {pattern, ""},
                                                          {text, "some text"}}) {
        pasteboard.clearContents();
        pasteboard.setData(type, {content.begin(), content.end()});
        const model::Preset before = store->preset.get();
        store->pastePatternFromPasteboard();
        EXPECT_EQ(store->preset.get(), before) << content;
        EXPECT_EQ(store->history().count(), 1) << content;
    }
    EXPECT_TRUE(store->pendingAppPlayTrackNoteReleaseIndices.empty()) << "nothing pasted, nothing released";
}

}  // namespace pulvan::test
