#include "editor/library/library_error.h"
#include "editor/library/preset_export.h"
#include "editor/library/preset_files.h"
#include "tests/editor/library/temp_library.h"

#include <gtest/gtest.h>

namespace pulvan::library {
namespace {

using test::TempLibrary;
using Names = std::vector<std::string>;

class PresetExport : public ::testing::Test {
protected:
    TempLibrary lib;
    std::filesystem::path target() const { return lib.base() / "backup"; }
    std::filesystem::path exported() const { return target() / "Pulvan Presets"; }
    void SetUp() override { std::filesystem::create_directories(target()); }
};

TEST_F(PresetExport, CopiesHomeAndFoldersThatHoldPresets) {
    ASSERT_TRUE(writePresetFile("Pad #1", std::nullopt, "pad"));
    ASSERT_TRUE(writePresetFile("Kick", "Drums/Perc", "kick"));
    ASSERT_TRUE(createPresetFolder("Empty"));
    TempLibrary::write(lib.home() / "notes.txt", "not a preset");
    EXPECT_EQ(exportPresets(target()), 2);
    EXPECT_EQ(TempLibrary::entries(exported()), (Names{"Drums%2FPerc", "Pad %231.json"}));
    EXPECT_EQ(TempLibrary::read(exported() / "Drums%2FPerc" / "Kick.json"), "kick");
}

TEST_F(PresetExport, AnEmptyLibraryStillMakesTheFolder) {
    EXPECT_EQ(exportPresets(target()), 0);
    EXPECT_TRUE(std::filesystem::is_directory(exported()));
    EXPECT_EQ(exportSummaryMessage(0), "No presets to export yet.");
    EXPECT_EQ(exportSummaryMessage(1), "Exported 1 preset.");
    EXPECT_EQ(exportSummaryMessage(7), "Exported 7 presets.");
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

TEST_F(PresetExport, FoldersDifferingOnlyInCaseAreBothExported) {
    ASSERT_TRUE(writePresetFile("A", "Keys", "a"));
    std::filesystem::create_directories(lib.home() / "keys");
    TempLibrary::write(lib.home() / "keys" / "B.json", "b");
    EXPECT_EQ(exportPresets(target()), 2);
    EXPECT_EQ(TempLibrary::read(exported() / "keys" / "B.json"), "b");
}

TEST_F(PresetExport, AFileSystemErrorStopsTheExport) {
    ASSERT_TRUE(writePresetFile("Lead", std::nullopt, "v1"));
    TempLibrary::write(exported(), "a file where the folder should be");
    EXPECT_THROW(exportPresets(target()), LibraryError);
    EXPECT_EQ(TempLibrary::read(exported()), "a file where the folder should be");
}

}  // namespace
}  // namespace pulvan::library
