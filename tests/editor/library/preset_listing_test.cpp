#include "platform/foundation/atomic_file.h"
#include "editor/library/chord_progression_files.h"
#include "editor/library/preset_files.h"
#include "editor/library/preset_listing.h"
#include "tests/editor/library/temp_library.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace pulvan::library {
namespace {

using test::TempLibrary;
using Names = std::vector<std::string>;

class PresetListing : public ::testing::Test {
protected:
    TempLibrary lib;
};

TEST_F(PresetListing, RootFollowsTheDataHomeAndHomeSubFolder) {
    EXPECT_EQ(presetRootURL(), lib.root());
    EXPECT_EQ(presetsDirectoryURL(false), std::nullopt);
    EXPECT_EQ(presetsDirectoryURL(true), lib.home());
    EXPECT_TRUE(std::filesystem::is_directory(lib.home()));
    EXPECT_EQ(chordProgressionFileURL("Pad #1", true), lib.chords() / "Pad %231.json");
}

TEST_F(PresetListing, DataHomeFallsBackToHomeShareAndRejectsRelativePaths) {
    ::setenv("HOME", lib.base().c_str(), 1);
    ::setenv("XDG_DATA_HOME", "relative/path", 1);
    EXPECT_EQ(userLibraryURL(), lib.base() / ".local" / "share");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(userLibraryURL(), lib.base() / ".local" / "share");
}

TEST_F(PresetListing, ListsJsonFilesOfAnyCaseButNotHiddenOthersOrFolders) {
    for (const char* name : {"b.json", "A.JSON", ".hidden.json", "c.txt", "Pad %231.json", "Bad %ZZ.json"}) {
        TempLibrary::write(lib.home() / name, "{}");
    }
    std::filesystem::create_directories(lib.home() / "dir.json");
    ASSERT_EQ(::mkfifo((lib.home() / "pipe.json").c_str(), 0644), 0);  // would block a reader
    std::filesystem::create_directories(lib.home() / "Sub");
    EXPECT_EQ(presetNames(std::nullopt), (Names{"A", "b", "Bad %ZZ", "Pad #1"}));
    EXPECT_EQ(listPresetFolders(lib.home()).size(), 2u);  // "dir.json" and "Sub"
    EXPECT_EQ(totalPresetCount(), 4);
    EXPECT_FALSE(foundation::readWholeFile(lib.home() / "pipe.json").bytes.has_value());  // and returns at once
}

TEST_F(PresetListing, FolderEntriesAreDecodedAndSortedIgnoringCase) {
    for (const char* name : {"zeta", "Alpha", "beta %2F gamma", ".hidden"}) {
        std::filesystem::create_directories(lib.home() / name);
    }
    TempLibrary::write(lib.home() / "file.json", "{}");
    EXPECT_EQ(presetFolderEntries(), (Names{"Alpha", "beta / gamma", "zeta"}));
    EXPECT_TRUE(presetFolderNameExists("ALPHA"));
    EXPECT_FALSE(presetFolderNameExists(" Alpha"));
}

TEST_F(PresetListing, LookupIgnoresCaseAndSurroundingSpace) {
    TempLibrary::write(lib.home() / "Bass Line.json", "{}");
    TempLibrary::write(lib.home() / "Drums" / "Kick %231.json", "{}");
    EXPECT_EQ(existingPresetFileName("  bass line ", std::nullopt), "Bass Line");
    EXPECT_EQ(existingPresetFileURL("BASS LINE", ""), lib.home() / "Bass Line.json");
    EXPECT_EQ(existingPresetFileURL("kick #1", "  drums  "), lib.home() / "Drums" / "Kick %231.json");
    EXPECT_EQ(existingPresetFileName("Kick #1", std::nullopt), std::nullopt);
    EXPECT_EQ(existingPresetFileName("  ", std::nullopt), std::nullopt);
    EXPECT_EQ(existingPresetFileURL("Bass Line", "Nowhere"), std::nullopt);
    EXPECT_EQ(totalPresetCount(), 2);
}

TEST_F(PresetListing, TwoFilesDifferingInCaseAnswerTheFirstInSortOrder) {
    TempLibrary::write(lib.home() / "pad.json", "lower");
    TempLibrary::write(lib.home() / "Pad.json", "upper");
    const auto first = listPresetFiles(lib.home()).front();
    EXPECT_EQ(existingPresetFileURL("PAD", std::nullopt), first);
    EXPECT_EQ(existingPresetFileURL("PAD", std::nullopt), existingPresetFileURL("pad", std::nullopt));
}

TEST_F(PresetListing, FolderLookupNeverCreatesWithoutAsking) {
    EXPECT_EQ(presetFolderURL("New", false), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(lib.home()));
    EXPECT_EQ(presetFolderURL("a/b", true), lib.home() / "a%2Fb");
    EXPECT_TRUE(std::filesystem::is_directory(lib.home() / "a%2Fb"));
    EXPECT_EQ(presetFolderURL("A/B", false), lib.home() / "a%2Fb");
    EXPECT_EQ(presetFolderURL("..", true), lib.home() / "%2E%2E");
}

TEST_F(PresetListing, FolderWithALiteralDotIsFoundUnderTheNameItIsListedUnder) {
    std::filesystem::create_directories(lib.home() / "v1.2");
    EXPECT_EQ(presetFolderEntries(), (Names{"v1.2"}));
    EXPECT_EQ(presetFolderURL("v1.2", false), lib.home() / "v1.2");
}

class WithoutLibrary : public PresetListing {
protected:
    void SetUp() override { lib.removeLibraryLocation(); }
};

TEST_F(WithoutLibrary, EveryLookupAnswersNoneAndEveryWriteFalse) {
    EXPECT_EQ(presetRootURL(), std::nullopt);
    EXPECT_EQ(presetsDirectoryURL(true), std::nullopt);
    EXPECT_EQ(chordProgressionsDirectoryURL(true), std::nullopt);
    EXPECT_EQ(chordProgressionFileURL("x", true), std::nullopt);
    EXPECT_EQ(presetFolderURL("x", true), std::nullopt);
    EXPECT_TRUE(presetFolderEntries().empty());
    EXPECT_TRUE(presetNames(std::nullopt).empty());
    EXPECT_EQ(existingPresetFileURL("Default", std::nullopt), std::nullopt);
    EXPECT_EQ(totalPresetCount(), 0);
    EXPECT_FALSE(writePresetFile("x", std::nullopt, "{}"));
    EXPECT_FALSE(createPresetFolder("x"));
    EXPECT_FALSE(deletePresetFile("x", std::nullopt));
    EXPECT_FALSE(writeChordProgressionPresetFile("x", {}));
    EXPECT_TRUE(chordProgressionPresetNames().empty());
}

}  // namespace
}  // namespace pulvan::library
