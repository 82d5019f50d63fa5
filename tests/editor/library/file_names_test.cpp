#include <gtest/gtest.h>

#include "editor/library/file_name_coding.h"
#include "editor/library/preset_names.h"
#include "platform/foundation/unicode_text.h"

namespace pulvan::library {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(PercentEncoding, EncodesAndDecodesBack) {
    // Letters beyond ASCII and combining marks stay; an emoji is escaped byte by byte.
    const Pairs rows{{"Pad #1", "Pad %231"},
                     {"a/b:c", "a%2Fb%3Ac"},
                     {"..x", "%2E%2Ex"},
                     {"..", "%2E%2E"},
                     {"Bass-Line_2 x", "Bass-Line_2 x"},
                     {"Café Ñandú", "Café Ñandú"},
                     {"e\xCC\x81", "e\xCC\x81"},
                     {"\xF0\x9F\x8E\xB9", "%F0%9F%8E%B9"},
                     {"a\tb\nc", "a%09b%0Ac"},
                     {"100%", "100%25"},
                     {"name.json", "name%2Ejson"}};
    for (const auto& [name, encoded] : rows) {
        EXPECT_EQ(percentEncodedFileName(name), encoded) << name;
        EXPECT_EQ(percentDecoded(encoded), std::optional<std::string>(name)) << encoded;
    }
}

// Broken escapes decode to nothing, and so does an escape of bytes that are not UTF-8.
TEST(PercentEncoding, InvalidUTF8IsEncodedByteForByteAndNeverDecodedToRaw) {
    EXPECT_EQ(percentEncodedFileName("a\xFF\xC3"), "a%FF%C3");
    for (const char* text : {"a%FF%C3", "%ZZ", "50%", "a%2", "%G1", "%%"}) EXPECT_EQ(percentDecoded(text), std::nullopt) << text;
}

TEST(DecodedNames, NamesThatAreNotUTF8AreReadAsLatin1) {
    const Pairs rows{{"Caf\xE9 Bass.json", "Café Bass"},
                     {"Caf%E9 Bass.json", "Café Bass"},
                     {"Café.json", "Café"},
                     {"%ZZ \xFF.json", "%ZZ ÿ"},
                     {"Pad %231.json", "Pad #1"}};
    for (const auto& [file, name] : rows) {
        EXPECT_EQ(decodedFileName(file), name) << file;
        EXPECT_EQ(decodedFolderName(std::filesystem::path(file).stem()), name) << file;
    }
}

TEST(PercentEncoding, EncodedNamesStayInsideTheirFolder) {
    for (const char* name : {"..", "../../etc/passwd", "/abs", ".", "a\x01b"}) {
        const auto file = jsonFileURL("/lib/Presets", name);
        EXPECT_EQ(file.parent_path(), std::filesystem::path("/lib/Presets")) << name;
        EXPECT_NE(file.filename().string().front(), '.') << name;
    }
}

TEST(PresetNames, SanitisingReplacesSeparatorsAndTheFirstDot) {
    const Pairs rows{{"a/b:c", "a-b-c"}, {".hidden", "-hidden"}, {"..x", "-.x"}, {"   ", ""},
                     {"  .x  ", "-x"},   {"\n Lead \t", "Lead"}, {"a.b", "a.b"}, {"Pad #1", "Pad #1"}};
    for (const auto& [typed, sanitized] : rows) EXPECT_EQ(sanitizedPresetName(typed), sanitized) << typed;
}

TEST(PresetNames, CutToThirtyUserPerceivedCharacters) {
    EXPECT_EQ(cleanedPresetName(std::string(40, 'x')), std::string(30, 'x'));
    // An accented letter of two code points and a family emoji of five are one character each.
    for (const std::string character : {"e\xCC\x81", "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7"}) {
        std::string text;
        for (int i = 0; i < 31; ++i) text += character;
        EXPECT_EQ(foundation::firstCharacters(text, 30).size(), 30u * character.size());
    }
    EXPECT_EQ(foundation::firstCharacters("short", 30), "short");
    EXPECT_EQ(foundation::firstCharacters("", 30), "");
}

TEST(UnicodeText, TrimmingRemovesUnicodeWhiteSpaceOnly) {
    EXPECT_EQ(foundation::trimmed("\t a b \n\r"), "a b");
    EXPECT_EQ(foundation::trimmed("\xC2\xA0x\xE2\x80\x83"), "x");  // no-break space, em space
    EXPECT_EQ(foundation::trimmed("\xFF "), "\xFF");               // invalid bytes are kept
    EXPECT_TRUE(foundation::isBlank(" \n\t"));
    EXPECT_FALSE(foundation::isBlank(" - "));
}

TEST(UnicodeText, EqualIgnoringCaseFoldsCaseOnly) {
    const std::vector<std::tuple<std::string, std::string, bool>> rows{
        {"Default", "dEFAULT", true}, {"ÉTÉ", "été", true}, {"ete", "été", false}, {"Home", "Home ", false}, {"Straße", "STRASSE", true}};
    for (const auto& [a, b, equal] : rows) EXPECT_EQ(foundation::equalIgnoringCase(a, b), equal) << a << " vs " << b;
}

}  // namespace
}  // namespace pulvan::library
