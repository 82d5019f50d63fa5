#include "editor/library/library_error.h"
#include "editor/library/midi_export_files.h"
#include "tests/editor/library/temp_library.h"

#include <gtest/gtest.h>

#include <ctime>

namespace pulvan::library {
namespace {

using test::TempLibrary;

// 5 December 2026, 16:37:12 UTC, read in a fixed UTC zone.
class MIDIExportName : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) savedTZ_ = tz;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override {
        if (savedTZ_) ::setenv("TZ", savedTZ_->c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }
    static constexpr std::time_t kNow = 1796488632;

private:
    std::optional<std::string> savedTZ_;
};

struct NameCase {
    std::string preset;
    int bars;
    int tracks;
    std::string expected;
};
void PrintTo(const NameCase& c, std::ostream* os) { *os << '"' << c.preset << "\" " << c.bars << ' ' << c.tracks; }

class MIDIExportNameParts : public MIDIExportName, public ::testing::WithParamInterface<NameCase> {};

TEST_P(MIDIExportNameParts, LeavesOutBlankOrDefaultNamesAndClampsCounts) {
    const auto& c = GetParam();
    EXPECT_EQ(midiExportFileName(c.bars, kNow, c.preset, c.tracks), "2026-12-05 16h37 pulvan " + c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, MIDIExportNameParts,
    ::testing::Values(NameCase{"My Song!", 8, 3, "My Song 3tracks 8bars.mid"}, NameCase{"PULVAN", 4, 6, "6tracks 4bars.mid"}, NameCase{"  ", 4, 6, "6tracks 4bars.mid"},
                      NameCase{"!!!", 2, 1, "1tracks 2bars.mid"},  // sanitises to "pulvan"
                      NameCase{"Lead", 0, 0, "Lead 1tracks 1bars.mid"},
                      NameCase{"a/b\\c", 1, 2, "a b c 2tracks 1bars.mid"},
                      NameCase{"Time: 1+1", 3, 2, "Time: 1+1 2tracks 3bars.mid"}));

struct SanitizeCase {
    std::string name;
    std::string expected;
};
void PrintTo(const SanitizeCase& c, std::ostream* os) { *os << '"' << c.name << '"'; }

class SanitizedExportFileName : public ::testing::TestWithParam<SanitizeCase> {};

TEST_P(SanitizedExportFileName, KeepsSafeCharactersOnly) {
    EXPECT_EQ(sanitizedExportFileName(GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SanitizedExportFileName,
    ::testing::Values(SanitizeCase{"", "pulvan"}, SanitizeCase{" \n", "pulvan"}, SanitizeCase{"..", "pulvan"},
                      SanitizeCase{"../../etc", "etc"}, SanitizeCase{"a\t\tb   c", "a b c"},
                      SanitizeCase{"Été 🎹 mix", "Été mix"}, SanitizeCase{"x\xFFy", "x y"},
                      SanitizeCase{std::string(100, 'a'), std::string(80, 'a')}));

class MIDIExportWrite : public ::testing::Test {
protected:
    TempLibrary lib;
    std::filesystem::path folder() const { return lib.base() / "Exports"; }
    void SetUp() override { std::filesystem::create_directories(folder()); }
};

TEST_F(MIDIExportWrite, NumbersCollisionsAndNeverReplaces) {
    const std::string name = "2026-12-05 16h37 pulvan 1tracks 8bars.mid";
    EXPECT_EQ(writeMIDIExportFile("one", name, folder()), folder() / name);
    EXPECT_EQ(writeMIDIExportFile("two", name, folder()), folder() / "2026-12-05 16h37 pulvan 1tracks 8bars (2).mid");
    EXPECT_EQ(writeMIDIExportFile("three", name, folder()), folder() / "2026-12-05 16h37 pulvan 1tracks 8bars (3).mid");
    EXPECT_EQ(TempLibrary::read(folder() / name), "one");
    EXPECT_EQ(TempLibrary::entries(folder()).size(), 3u);
}

TEST_F(MIDIExportWrite, SanitisesTheNameAndAlwaysUsesMid) {
    EXPECT_EQ(writeMIDIExportFile("x", "../escape.txt", folder()), folder() / "escape.mid");
    EXPECT_EQ(writeMIDIExportFile("x", std::string(100, 'b') + ".mid", folder()), folder() / (std::string(80, 'b') + ".mid"));
}

TEST_F(MIDIExportWrite, AnUnwritableFolderThrowsAndLeavesNothing) {
    const auto file = folder() / "plain-file";
    TempLibrary::write(file, "keep");
    EXPECT_THROW(writeMIDIExportFile("x", "take.mid", file), LibraryError);
    EXPECT_EQ(TempLibrary::read(file), "keep");
}

}  // namespace
}  // namespace pulvan::library
