#include "editor/library/preset_files.h"

#include <gtest/gtest.h>

#include "editor/library/chord_progression_files.h"
#include "editor/library/library_error.h"
#include "editor/library/preset_export.h"
#include "editor/library/preset_listing.h"
#include "platform/foundation/atomic_file.h"
#include "tests/editor/library/temp_library.h"

#include <sys/stat.h>

namespace pulvan::library {
namespace {

using test::TempLibrary;
using Names = std::vector<std::string>;

class PresetFiles : public ::testing::Test {
protected:
    TempLibrary lib;
};

TEST_F(PresetFiles, RootFollowsTheDataHomeAndHomeSubFolder) {
    EXPECT_EQ(presetRootURL(), lib.root());
    EXPECT_EQ(presetsDirectoryURL(false), std::nullopt);
    EXPECT_EQ(presetsDirectoryURL(true), lib.home());
    EXPECT_TRUE(std::filesystem::is_directory(lib.home()));
    EXPECT_EQ(chordProgressionFileURL("Pad #1", true), lib.chords() / "Pad %231.json");
}

TEST_F(PresetFiles, DataHomeFallsBackToHomeShareAndRejectsRelativePaths) {
    ::setenv("HOME", lib.base().c_str(), 1);
    ::setenv("XDG_DATA_HOME", "relative/path", 1);
    EXPECT_EQ(userLibraryURL(), lib.base() / ".local" / "share");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(userLibraryURL(), lib.base() / ".local" / "share");
}

TEST_F(PresetFiles, ListsJsonFilesOfAnyCaseButNotHiddenOthersOrFolders) {
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

TEST_F(PresetFiles, FolderEntriesAreDecodedAndSortedIgnoringCase) {
    for (const char* name : {"zeta", "Alpha", "beta %2F gamma", ".hidden"}) {
        std::filesystem::create_directories(lib.home() / name);
    }
    TempLibrary::write(lib.home() / "file.json", "{}");
    EXPECT_EQ(presetFolderEntries(), (Names{"Alpha", "beta / gamma", "zeta"}));
    EXPECT_TRUE(presetFolderNameExists("ALPHA"));
    EXPECT_TRUE(presetFolderNameExists(" Alpha"));
    EXPECT_FALSE(presetFolderNameExists("Alph"));
}

TEST_F(PresetFiles, LookupIgnoresCaseAndSurroundingSpace) {
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

// A name that is one of the twins exactly answers that twin; any other answers the first in sort order.
TEST_F(PresetFiles, TwoFilesDifferingInCaseAnswerTheExactOneElseTheFirstInSortOrder) {
    TempLibrary::write(lib.home() / "pad.json", "lower");
    TempLibrary::write(lib.home() / "Pad.json", "upper");
    EXPECT_EQ(existingPresetFileURL("PAD", std::nullopt), listPresetFiles(lib.home()).front());
    EXPECT_EQ(existingPresetFileURL("pad", std::nullopt), lib.home() / "pad.json");
    EXPECT_EQ(existingPresetFileName(" Pad", std::nullopt), "Pad");
}

TEST_F(PresetFiles, FolderLookupNeverCreatesWithoutAsking) {
    EXPECT_EQ(presetFolderURL("New", false), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(lib.home()));
    EXPECT_EQ(presetFolderURL("a/b", true), lib.home() / "a%2Fb");
    EXPECT_TRUE(std::filesystem::is_directory(lib.home() / "a%2Fb"));
    EXPECT_EQ(presetFolderURL("A/B", false), lib.home() / "a%2Fb");
    EXPECT_EQ(presetFolderURL("..", true), lib.home() / "%2E%2E");
}

TEST_F(PresetFiles, FolderWithALiteralDotIsFoundUnderTheNameItIsListedUnder) {
    std::filesystem::create_directories(lib.home() / "v1.2");
    EXPECT_EQ(presetFolderEntries(), (Names{"v1.2"}));
    EXPECT_EQ(presetFolderURL("v1.2", false), lib.home() / "v1.2");
}

TEST_F(PresetFiles, SavingInAnotherLetterCaseReplacesTheOldFileOnlyOnceWritten) {
    ASSERT_TRUE(writePresetFile("bass", std::nullopt, "old"));
    std::filesystem::create_directories(lib.home() / "BASS.json" / "blocker");  // the new name cannot be written
    EXPECT_FALSE(writePresetFile("BASS", std::nullopt, "new"));
    EXPECT_EQ(TempLibrary::read(lib.home() / "bass.json"), "old");
    std::filesystem::remove_all(lib.home() / "BASS.json");
    ASSERT_TRUE(writePresetFile("BASS", std::nullopt, "new"));
    EXPECT_EQ(TempLibrary::entries(lib.home()), (Names{"BASS.json"}));
    EXPECT_EQ(TempLibrary::read(lib.home() / "BASS.json"), "new");
}

TEST_F(PresetFiles, ALibraryThatCannotHoldFoldersRefusesWrites) {
    lib.blockLibraryLocation();
    EXPECT_FALSE(writePresetFile("x", std::nullopt, "{}"));
    EXPECT_FALSE(createPresetFolder("x"));
    EXPECT_EQ(TempLibrary::read(lib.library()), "not a folder");
}

class PresetExport : public PresetFiles {
protected:
    std::filesystem::path target() const { return lib.base() / "backup"; }
    std::filesystem::path exported() const { return target() / "Pulvan Presets"; }
    void SetUp() override { std::filesystem::create_directories(target()); }
};

// Folders whose names differ only in case are different folders here, and both are copied.
TEST_F(PresetExport, CopiesHomeAndFoldersThatHoldPresets) {
    ASSERT_TRUE(writePresetFile("Pad #1", std::nullopt, "pad"));
    ASSERT_TRUE(writePresetFile("Kick", "Drums/Perc", "kick"));
    ASSERT_TRUE(writePresetFile("A", "Keys", "a"));
    TempLibrary::write(lib.home() / "keys" / "B.json", "b");
    ASSERT_TRUE(createPresetFolder("Empty"));
    TempLibrary::write(lib.home() / "notes.txt", "not a preset");
    EXPECT_EQ(exportPresets(target()), 4);
    EXPECT_EQ(TempLibrary::entries(exported()), (Names{"Drums%2FPerc", "Keys", "Pad %231.json", "keys"}));
    EXPECT_EQ(TempLibrary::read(exported() / "Drums%2FPerc" / "Kick.json"), "kick");
    EXPECT_EQ(TempLibrary::read(exported() / "keys" / "B.json"), "b");
    EXPECT_EQ(exportSummaryMessage(4), "Exported 4 presets.");
}

TEST_F(PresetExport, AnEmptyLibraryStillMakesTheFolder) {
    EXPECT_EQ(exportPresets(target()), 0);
    EXPECT_TRUE(std::filesystem::is_directory(exported()));
}

TEST_F(PresetExport, ExportingAgainReplacesCopiesAndKeepsOthers) {
    ASSERT_TRUE(writePresetFile("Lead", std::nullopt, "v1"));
    ASSERT_TRUE(writePresetFile("Gone", std::nullopt, "old"));
    EXPECT_EQ(exportPresets(target()), 2);
    ASSERT_TRUE(writePresetFile("Lead", std::nullopt, "v2"));
    ASSERT_TRUE(deletePresetFile("Gone", std::nullopt));
    EXPECT_EQ(exportPresets(target()), 1);
    EXPECT_EQ(TempLibrary::read(exported() / "Lead.json"), "v2");
    EXPECT_EQ(TempLibrary::read(exported() / "Gone.json"), "old");
    EXPECT_EQ(TempLibrary::entries(exported()), (Names{"Gone.json", "Lead.json"}));
}

TEST_F(PresetExport, AFileSystemErrorStopsTheExport) {
    ASSERT_TRUE(writePresetFile("Lead", std::nullopt, "v1"));
    TempLibrary::write(exported(), "a file where the folder should be");
    EXPECT_THROW(exportPresets(target()), LibraryError);
    EXPECT_EQ(TempLibrary::read(exported()), "a file where the folder should be");
}

class WithoutLibrary : public PresetFiles {
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
