#include "editor/library/midi_export_files.h"

#include <gtest/gtest.h>

#include "editor/library/library_error.h"
#include "tests/editor/library/temp_library.h"

#include <ctime>

namespace pulvan::library {
namespace {

using test::TempLibrary;

TEST(MIDIExportName, LeavesOutBlankOrDefaultNamesAndClampsCounts) {
    test::SavedEnvironment zone{"TZ"};
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const std::time_t now = 1796488632;  // 5 December 2026, 16:37:12 UTC
    const std::vector<std::tuple<std::string, int, int, std::string>> rows{{"My Song!", 8, 3, "My Song 3tracks 8bars.mid"},
                                                                           {"PULVAN", 4, 6, "6tracks 4bars.mid"},
                                                                           {"  ", 4, 6, "6tracks 4bars.mid"},
                                                                           {"!!!", 2, 1, "1tracks 2bars.mid"},  // sanitises to "pulvan"
                                                                           {"Lead", 0, 0, "Lead 1tracks 1bars.mid"},
                                                                           {"a/b\\c", 1, 2, "a b c 2tracks 1bars.mid"},
                                                                           {"Time: 1+1", 3, 2, "Time: 1+1 2tracks 3bars.mid"}};
    for (const auto& [preset, bars, tracks, expected] : rows) {
        EXPECT_EQ(midiExportFileName(bars, now, preset, tracks), "2026-12-05 16h37 pulvan " + expected) << preset;
    }
}

TEST(MIDIExportName, SanitisingKeepsSafeCharactersOnly) {
    const std::vector<std::pair<std::string, std::string>> rows{
        {"", "pulvan"},          {" \n", "pulvan"},        {"..", "pulvan"},  {"../../etc", "etc"},
        {"a\t\tb   c", "a b c"}, {"Été 🎹 mix", "Été mix"}, {"x\xFFy", "x y"}, {std::string(100, 'a'), std::string(80, 'a')}};
    for (const auto& [name, expected] : rows) EXPECT_EQ(sanitizedExportFileName(name), expected) << name;
}

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
