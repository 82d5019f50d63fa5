#include <gtest/gtest.h>

#include "editor/model/chord_progression_document.h"
#include "editor/model/decoding_error.h"
#include "editor/model/pattern_clipboard_document.h"
#include "editor/model/preset_json.h"
#include "editor/model/user_preferences.h"

namespace pulvan::model {
namespace {

TEST(ChordProgressionDocument, ChordsAreCleanedAndMadeEightLong) {
    using Chords = std::vector<Chord>;
    const std::vector<std::pair<std::string, Chords>> rows{
        {R"({"version":"1","chords":[[67,60,64,60]]})", {{60, 64, 67}, {}, {}, {}, {}, {}, {}, {}}},
        {R"({"version":"anything","chords":[[200,-3,127,0]]})", {{0, 127}, {}, {}, {}, {}, {}, {}, {}}},
        {R"({"version":"1","chords":[]})", Chords(8)},
        {R"({"version":"1","chords":[[1],[2],[3],[4],[5],[6],[7],[8],[9]]})", {{1}, {2}, {3}, {4}, {5}, {6}, {7}, {8}}},
        {R"([[64,60],[]])", {{60, 64}, {}, {}, {}, {}, {}, {}, {}}},
    };
    for (const auto& [data, chords] : rows) EXPECT_EQ(decodeChordProgressionPreset(data), chords) << data;
}

TEST(ChordProgressionDocument, MalformedFilesGiveNothing) {
    for (const char* data : {"", "{}", R"({"chords":[[60]]})", R"({"version":1,"chords":[[60]]})", R"({"version":"1","chords":[60]})",
                             R"({"version":"1","chords":[[60.5]]})", R"([[true]])", R"("C major")", R"([60, 64])"}) {
        EXPECT_FALSE(decodeChordProgressionPreset(data)) << data;
    }
    EXPECT_THROW(decodeChordProgressionPresetDocument(R"({"version":"1"})"), DecodingError);
}

TEST(ChordProgressionDocument, WritesVersionThenChords) {
    const ChordProgressionPresetDocument document{"1", {{60, 64}, {}}};
    const std::string text = encodeChordProgressionPresetDocument(document);
    EXPECT_EQ(text, R"({"version":"1","chords":[[60,64],[]]})");
    EXPECT_EQ(decodeChordProgressionPresetDocument(text), document);
}

TEST(UserPreferences, DefaultsAndBoundsOnReading) {
    struct Row {
        std::string data;
        UserPreferences expected;
    };
    const std::vector<Row> rows{
        {"{}", {false, 2000, 1280, 74, 71}},
        {R"({"is_performance_dialog_pinned":true,"hosted_window_width":5000})", {true, 2000, 3200, 74, 71}},
        {R"({"hosted_window_width":100,"default_cc_a":-1,"default_cc_b":128})", {false, 2000, 640, 0, 127}},
        {R"({"ui_max_width":1024})", {false, 1000, 1280, 74, 71}},
        {R"({"ui_max_width":1025})", {false, 1050, 1280, 74, 71}},
        {R"({"ui_max_width":999})", {false, 1000, 1280, 74, 71}},
        {R"({"ui_max_width":2600})", {false, 2000, 1280, 74, 71}},
        {R"({"ui_max_width":null,"unknown":[1,2]})", {false, 2000, 1280, 74, 71}},
    };
    for (const Row& row : rows) EXPECT_EQ(decodeUserPreferences(row.data), row.expected) << row.data;
    for (const char* bad :
         {"", "[]", R"({"default_cc_a":"74"})", R"({"is_performance_dialog_pinned":1})", R"({"hosted_window_width":1280.5})"}) {
        EXPECT_THROW(decodeUserPreferences(bad), DecodingError) << bad;
    }
    const UserPreferences preferences{true, 1500, 900, 10, 20};
    EXPECT_EQ(decodeUserPreferences(encodeUserPreferences(preferences)), preferences);
}

TEST(PatternClipboard, PastedPatternComesBackWithAllTenLanes) {
    Pattern pattern = defaultPattern();
    pattern.direction = PatternDirection::random;
    pattern.lane(LaneKind::ccA).steps[3] = 90;
    const std::string text = encodePatternClipboardDocument({std::string(kPatternClipboardType), pattern});
    EXPECT_EQ(text.rfind(R"({"type":"pulvan.pattern","pattern":{"lanes":[)", 0), 0u);

    const PatternClipboardDocument document = decodePatternClipboardDocument(text);
    EXPECT_EQ(document.type, "pulvan.pattern");
    EXPECT_EQ(document.pattern.lanes.size(), 10u);
    EXPECT_EQ(document.pattern, pattern);
}

TEST(PatternClipboard, AnyTypeTextDecodesButBadShapesFail) {
    EXPECT_EQ(decodePatternClipboardDocument(R"({"type":"other","pattern":{"lanes":[]}})").type, "other");
    for (const char* bad : {"text on the pasteboard", R"({"pattern":{"lanes":[]}})", R"({"type":"pulvan.pattern"})",
                            R"({"type":1,"pattern":{"lanes":[]}})", R"({"type":"pulvan.pattern","pattern":{}})"}) {
        EXPECT_THROW(decodePatternClipboardDocument(bad), DecodingError) << bad;
    }
}

}  // namespace
}  // namespace pulvan::model
