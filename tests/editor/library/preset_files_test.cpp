#include "editor/library/preset_files.h"
#include "editor/library/preset_listing.h"
#include "tests/editor/library/temp_library.h"

#include <gtest/gtest.h>

namespace pulvan::library {
namespace {

using test::TempLibrary;
using Names = std::vector<std::string>;

class PresetFiles : public ::testing::Test {
protected:
    TempLibrary lib;
};

TEST_F(PresetFiles, WritesEncodedNamesIntoHomeAndUserFolders) {
    EXPECT_TRUE(writePresetFile("Pad #1", std::nullopt, "one"));
    EXPECT_TRUE(writePresetFile("a/b:c", "My Folder", "two"));
    EXPECT_EQ(TempLibrary::read(lib.home() / "Pad %231.json"), "one");
    EXPECT_EQ(TempLibrary::read(lib.home() / "My Folder" / "a%2Fb%3Ac.json"), "two");
    EXPECT_EQ(presetNames("my folder"), (Names{"a/b:c"}));
    EXPECT_EQ(TempLibrary::entries(lib.home()), (Names{"My Folder", "Pad %231.json"}));  // no temp files left
}

TEST_F(PresetFiles, SavingInAnotherLetterCaseReplacesTheOldFile) {
    ASSERT_TRUE(writePresetFile("bass", std::nullopt, "old"));
    ASSERT_TRUE(writePresetFile("BASS", std::nullopt, "new"));
    EXPECT_EQ(TempLibrary::entries(lib.home()), (Names{"BASS.json"}));
    EXPECT_EQ(TempLibrary::read(lib.home() / "BASS.json"), "new");
}

TEST_F(PresetFiles, AFailedWriteKeepsTheDifferentlyCasedOriginal) {
    ASSERT_TRUE(writePresetFile("bass", std::nullopt, "old"));
    std::filesystem::create_directories(lib.home() / "BASS.json" / "blocker");  // the new name cannot be written
    EXPECT_FALSE(writePresetFile("BASS", std::nullopt, "new"));
    EXPECT_EQ(TempLibrary::read(lib.home() / "bass.json"), "old");
}

TEST_F(PresetFiles, WritingTheSameNameReplacesInPlace) {
    ASSERT_TRUE(writePresetFile("Lead", std::nullopt, "1"));
    ASSERT_TRUE(writePresetFile("Lead", std::nullopt, "2"));
    EXPECT_EQ(TempLibrary::entries(lib.home()), (Names{"Lead.json"}));
    EXPECT_EQ(TempLibrary::read(lib.home() / "Lead.json"), "2");
}

TEST_F(PresetFiles, CreatesFoldersOnceIgnoringCase) {
    EXPECT_TRUE(createPresetFolder("  Drums "));
    EXPECT_FALSE(createPresetFolder("DRUMS"));
    EXPECT_FALSE(createPresetFolder("   "));
    EXPECT_EQ(presetFolderEntries(), (Names{"Drums"}));
}

TEST_F(PresetFiles, DeletesOnlyFoldersWithNothingButHiddenEntries) {
    ASSERT_TRUE(createPresetFolder("Empty"));
    TempLibrary::write(lib.home() / "Empty" / ".DS_Store", "x");
    ASSERT_TRUE(writePresetFile("Keep", "Full", "{}"));
    EXPECT_TRUE(deletePresetFolder("empty"));
    EXPECT_FALSE(deletePresetFolder("Full"));
    EXPECT_FALSE(deletePresetFolder("Missing"));
    EXPECT_FALSE(deletePresetFolder(" "));  // never home
    EXPECT_EQ(presetFolderEntries(), (Names{"Full"}));
    EXPECT_TRUE(std::filesystem::exists(lib.home() / "Full" / "Keep.json"));
}

TEST_F(PresetFiles, DeletesThePresetFoundIgnoringCase) {
    ASSERT_TRUE(writePresetFile("Keys", "Folder", "{}"));
    EXPECT_FALSE(deletePresetFile("keys", std::nullopt));
    EXPECT_TRUE(deletePresetFile("KEYS", "folder"));
    EXPECT_FALSE(deletePresetFile("KEYS", "folder"));
    EXPECT_TRUE(presetNames("Folder").empty());
}

TEST_F(PresetFiles, ALibraryThatCannotHoldFoldersRefusesWrites) {
    lib.blockLibraryLocation();
    EXPECT_FALSE(writePresetFile("x", std::nullopt, "{}"));
    EXPECT_FALSE(createPresetFolder("x"));
    EXPECT_EQ(TempLibrary::read(lib.library()), "not a folder");
}

}  // namespace
}  // namespace pulvan::library
