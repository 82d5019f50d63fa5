#include "editor/library/file_name_coding.h"
#include "editor/library/preset_names.h"
#include "editor/library/unicode_text.h"

#include <gtest/gtest.h>

namespace pulvan::library {
namespace {

struct EncodingCase {
    std::string name;
    std::string encoded;
};
void PrintTo(const EncodingCase& c, std::ostream* os) { *os << '"' << c.name << '"'; }

class PercentEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(PercentEncoding, EncodesAndDecodesBack) {
    const auto& c = GetParam();
    EXPECT_EQ(percentEncodedFileName(c.name), c.encoded);
    EXPECT_EQ(percentDecoded(c.encoded), std::optional<std::string>(c.name));
}

INSTANTIATE_TEST_SUITE_P(
    Names, PercentEncoding,
    ::testing::Values(EncodingCase{"Pad #1", "Pad %231"}, EncodingCase{"a/b:c", "a%2Fb%3Ac"},
                      EncodingCase{"..x", "%2E%2Ex"}, EncodingCase{"..", "%2E%2E"},
                      EncodingCase{"Bass-Line_2 x", "Bass-Line_2 x"},
                      EncodingCase{"Café Ñandú", "Café Ñandú"},               // letters beyond ASCII stay
                      EncodingCase{"e\xCC\x81", "e\xCC\x81"},                 // a combining mark stays
                      EncodingCase{"\xF0\x9F\x8E\xB9", "%F0%9F%8E%B9"},       // emoji: every byte
                      EncodingCase{"a\tb\nc", "a%09b%0Ac"}, EncodingCase{"100%", "100%25"},
                      EncodingCase{"name.json", "name%2Ejson"}));

TEST(PercentEncoding, InvalidUTF8IsEncodedByteForByteAndNeverDecodedToRaw) {
    const std::string invalid = "a\xFF\xC3";
    EXPECT_EQ(percentEncodedFileName(invalid), "a%FF%C3");
    EXPECT_EQ(percentDecoded("a%FF%C3"), std::nullopt);
}

TEST(PercentDecoding, RejectsBrokenEscapes) {
    for (const char* text : {"%ZZ", "50%", "a%2", "%G1", "%%"}) {
        EXPECT_EQ(percentDecoded(text), std::nullopt) << text;
    }
}

TEST(PercentDecoding, FileAndFolderNames) {
    EXPECT_EQ(decodedFileName("/x/Pad %231.json"), "Pad #1");
    EXPECT_EQ(decodedFileName("/x/Bad %ZZ.JSON"), "Bad %ZZ");
    EXPECT_EQ(decodedFolderName("/x/My %2Ffolder"), "My /folder");
    EXPECT_EQ(decodedFolderName("/x/odd.name"), "odd.name");
}

TEST(PercentEncoding, EncodedNamesStayInsideTheirFolder) {
    for (const char* name : {"..", "../../etc/passwd", "/abs", ".", "a\x01b"}) {
        const auto file = jsonFileURL("/lib/Presets", name);
        EXPECT_EQ(file.parent_path(), std::filesystem::path("/lib/Presets")) << name;
        EXPECT_NE(file.filename().string().front(), '.') << name;
    }
}

struct SanitizeCase {
    std::string typed;
    std::string sanitized;
};
void PrintTo(const SanitizeCase& c, std::ostream* os) { *os << '"' << c.typed << '"'; }

class SanitizedPresetName : public ::testing::TestWithParam<SanitizeCase> {};

TEST_P(SanitizedPresetName, ReplacesSeparatorsAndFirstDot) {
    EXPECT_EQ(sanitizedPresetName(GetParam().typed), GetParam().sanitized);
}

INSTANTIATE_TEST_SUITE_P(Names, SanitizedPresetName,
                         ::testing::Values(SanitizeCase{"a/b:c", "a-b-c"}, SanitizeCase{".hidden", "-hidden"},
                                           SanitizeCase{"..x", "-.x"}, SanitizeCase{"   ", ""},
                                           SanitizeCase{"  .x  ", "-x"}, SanitizeCase{"\n Lead \t", "Lead"},
                                           SanitizeCase{"a.b", "a.b"}, SanitizeCase{"Pad #1", "Pad #1"}));

TEST(NameCut, CutsToThirtyUserPerceivedCharacters) {
    const std::string forty(40, 'x');
    EXPECT_EQ(cleanedPresetName(forty), std::string(30, 'x'));

    std::string accented;  // 31 × (e + combining acute): 62 code points, 31 characters
    for (int i = 0; i < 31; ++i) accented += "e\xCC\x81";
    const std::string cut = firstCharacters(accented, 30);
    EXPECT_EQ(cut.size(), 30u * 3u);

    std::string families;  // a family emoji is one character of several code points
    const std::string family = "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
    for (int i = 0; i < 31; ++i) families += family;
    EXPECT_EQ(firstCharacters(families, 30).size(), 30u * family.size());
    EXPECT_EQ(firstCharacters("short", 30), "short");
    EXPECT_EQ(firstCharacters("", 30), "");
}

TEST(Trimming, RemovesUnicodeWhiteSpaceOnly) {
    EXPECT_EQ(trimmed("\t a b \n\r"), "a b");
    EXPECT_EQ(trimmed("\xC2\xA0x\xE2\x80\x83"), "x");  // no-break space, em space
    EXPECT_EQ(trimmed("\xFF "), "\xFF");               // invalid bytes are kept
    EXPECT_TRUE(isBlank(" \n\t"));
    EXPECT_FALSE(isBlank(" - "));
}

struct CaseFoldCase {
    std::string a;
    std::string b;
    bool equal;
};
void PrintTo(const CaseFoldCase& c, std::ostream* os) { *os << '"' << c.a << "\" vs \"" << c.b << '"'; }

class EqualIgnoringCase : public ::testing::TestWithParam<CaseFoldCase> {};

TEST_P(EqualIgnoringCase, FoldsCaseOnly) {
    EXPECT_EQ(equalIgnoringCase(GetParam().a, GetParam().b), GetParam().equal);
}

INSTANTIATE_TEST_SUITE_P(Names, EqualIgnoringCase,
                         ::testing::Values(CaseFoldCase{"Default", "dEFAULT", true}, CaseFoldCase{"ÉTÉ", "été", true},
                                           CaseFoldCase{"ete", "été", false}, CaseFoldCase{"Home", "Home ", false},
                                           CaseFoldCase{"Straße", "STRASSE", true}));

}  // namespace
}  // namespace pulvan::library
