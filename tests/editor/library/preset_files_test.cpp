#include "editor/library/preset_files.h"
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

TEST_F(PresetFiles, ALibraryThatCannotHoldFoldersRefusesWrites) {
    lib.blockLibraryLocation();
    EXPECT_FALSE(writePresetFile("x", std::nullopt, "{}"));
    EXPECT_FALSE(createPresetFolder("x"));
    EXPECT_EQ(TempLibrary::read(lib.library()), "not a folder");
}

}  // namespace
}  // namespace pulvan::library
