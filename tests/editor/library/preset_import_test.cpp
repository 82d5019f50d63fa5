#include "editor/library/preset_import.h"

#include <gtest/gtest.h>

#include "editor/library/library_error.h"
#include "editor/library/preset_listing.h"
#include "tests/editor/library/temp_library.h"

namespace pulvan::library {

void PrintTo(const ImportCounts& c, std::ostream* os) {
    *os << "{imported " << c.imported << ", adjusted " << c.adjusted << ", skipped " << c.skipped << "}";
}
void PrintTo(const ImportedPreset& p, std::ostream* os) { *os << '"' << p.name << (p.nameAdjusted ? "\" adjusted" : "\""); }

namespace {

using test::TempLibrary;
using test::validPresetJSON;
using Names = std::vector<std::string>;

TEST(ImportNames, UniqueNamesStayWithinThirtyCharacters) {
    const std::string thirty = "abcdefghijklmnopqrstuvwxyz0123";
    const std::vector<std::tuple<std::string, Names, std::string>> rows{
        {"Bass", {"Lead"}, "Bass"},
        {"Bass", {"BASS"}, "Bass (imported)"},
        {"Bass", {"bass", "bass (IMPORTED)"}, "Bass (imported 2)"},
        {"Bass", {"Bass", "Bass (imported)", "Bass (imported 2)"}, "Bass (imported 3)"},
        // 19 characters before " (imported)", 17 before " (imported 2)", trailing spaces dropped
        {thirty, {thirty}, "abcdefghijklmnopqrs (imported)"},
        {thirty, {thirty, "abcdefghijklmnopqrs (imported)"}, "abcdefghijklmnopq (imported 2)"},
        {"eighteen chars abc x", {"eighteen chars abc x"}, "eighteen chars abc (imported)"}};
    for (const auto& [base, existing, expected] : rows) EXPECT_EQ(uniqueImportedPresetName(base, existing), expected) << base;
}

TEST(ImportMessages, SummaryLinesAndPlurals) {
    EXPECT_EQ(importSummaryMessage({0, 0, 0}), "No preset JSON files found.");
    EXPECT_EQ(importSummaryMessage({0, 0, 1}), "Imported 0 presets.\nSkipped 1 invalid file.");
    EXPECT_EQ(importSummaryMessage({2, 1, 0}), "Imported 2 presets.\nRenamed 1 name to avoid duplicates.");
    EXPECT_EQ(importSummaryMessage({3, 2, 0}), "Imported 3 presets.\nRenamed 2 names to avoid duplicates.");
    EXPECT_EQ(importResultMessage({"Pad", false}), "Preset \"Pad\" imported.");
}

class PresetImport : public ::testing::Test {
protected:
    TempLibrary lib;
    std::filesystem::path outside(const std::string& relative) const { return lib.base() / "outside" / relative; }
    std::string importError(const std::filesystem::path& file) {
        try {
            importPresetFromFile(file);
        } catch (const LibraryError& error) {
            return error.what();
        }
        return "no error";
    }
};

TEST_F(PresetImport, OneFileKeepsItsBytesAndGetsAdjustedNamesOnRepeat) {
    const auto file = outside("Pad #1.json");
    const std::string content = validPresetJSON(61);
    TempLibrary::write(file, content);
    EXPECT_EQ(importPresetFromFile(file), (ImportedPreset{"Pad #1", false}));
    EXPECT_EQ(importPresetFromFile(file), (ImportedPreset{"Pad #1 (imported)", true}));
    EXPECT_EQ(importPresetFromFile(file), (ImportedPreset{"Pad #1 (imported 2)", true}));
    EXPECT_EQ(TempLibrary::read(lib.home() / "Pad %231.json"), content);
    EXPECT_EQ(presetNames(std::nullopt), (Names{"Pad #1", "Pad #1 (imported 2)", "Pad #1 (imported)"}));
    TempLibrary::write(outside("   .json"), content);
    EXPECT_EQ(importPresetFromFile(outside("   .json")).name, "Imported preset");
}

// A long name cut where a space falls is trimmed again; a file an earlier version kept under such an
// unclean name is the same name, so an import is renamed around it and never replaces it.
TEST_F(PresetImport, LongNamesAreCleanAfterTheCutAndNeverReplaceUncleanOnes) {
    const auto file = outside("Deep House Chords Progression 12.json");
    TempLibrary::write(file, validPresetJSON(61));
    EXPECT_EQ(importPresetFromFile(file), (ImportedPreset{"Deep House Chords Progression", false}));
    std::filesystem::rename(lib.home() / "Deep House Chords Progression.json", lib.home() / "Deep House Chords Progression .json");
    EXPECT_EQ(importPresetFromFile(file), (ImportedPreset{"Deep House Chords P (imported)", true}));
    EXPECT_EQ(TempLibrary::entries(lib.home()), (Names{"Deep House Chords P %28imported%29.json", "Deep House Chords Progression .json"}));
}

// Archives from other systems hold names in Latin-1: the imported name is valid text, and
// a second, different preset of the same file name is renamed, never written over the first.
TEST_F(PresetImport, NamesThatAreNotUTF8BecomeValidNamesAndNeverReplaceAPreset) {
    const std::string first = validPresetJSON(61), second = validPresetJSON(62);
    TempLibrary::write(outside("old/Caf\xE9 Bass.json"), first);
    TempLibrary::write(outside("older/Caf\xE9 Bass.json"), second);
    EXPECT_EQ(importPresetFromFile(outside("old/Caf\xE9 Bass.json")), (ImportedPreset{"Café Bass", false}));
    EXPECT_EQ(importPresetFromFile(outside("older/Caf\xE9 Bass.json")), (ImportedPreset{"Café Bass (imported)", true}));
    EXPECT_EQ(presetNames(std::nullopt), (Names{"Café Bass", "Café Bass (imported)"}));
    EXPECT_EQ(TempLibrary::read(lib.home() / "Café Bass.json"), first);
    EXPECT_EQ(TempLibrary::read(lib.home() / "Café Bass %28imported%29.json"), second);
    // The same through a folder import, into a sub-folder whose own name is Latin-1.
    TempLibrary::write(outside("pick/Caf\xE9 Bass.json"), first);
    TempLibrary::write(outside("pick/L\xE9gende/Caf\xE9 Bass.json"), second);
    EXPECT_EQ(importPresetsFromFolder(outside("pick")), (ImportCounts{2, 1, 0}));
    EXPECT_EQ(presetNames(std::string("Légende")), (Names{"Café Bass"}));
}

TEST_F(PresetImport, OneFileErrorsSayWhy) {
    TempLibrary::write(outside("newer.json"), test::newerPresetJSON());
    TempLibrary::write(outside("broken.json"), test::corruptPresetJSON());
    TempLibrary::write(outside("preset.txt"), validPresetJSON());
    EXPECT_EQ(importError(outside("gone.json")), "Selected file no longer exists.");
    EXPECT_EQ(importError(outside("newer.json")), "This preset was created with a newer version of Pulvan. Update the app to import it.");
    EXPECT_EQ(importError(outside("broken.json")), "Selected file is not a valid preset JSON.");
    EXPECT_EQ(importError(outside("preset.txt")), "Selected file is not a valid preset JSON.");
    EXPECT_TRUE(presetNames(std::nullopt).empty());
}

TEST_F(PresetImport, AFailedWriteIsReportedNotCountedAsImported) {
    TempLibrary::write(outside("Pad.json"), validPresetJSON());
    lib.blockLibraryLocation();
    EXPECT_EQ(importError(outside("Pad.json")), "The preset could not be written to the preset library.");
    std::filesystem::create_directories(outside("folder"));
    TempLibrary::write(outside("folder/Pad.json"), validPresetJSON());
    EXPECT_EQ(importPresetsFromFolder(outside("folder")), (ImportCounts{0, 0, 1}));
}

TEST_F(PresetImport, FolderWithSubFoldersCountsEveryFile) {
    TempLibrary::write(outside("pick/Lead.json"), validPresetJSON());
    TempLibrary::write(outside("pick/bad.json"), test::corruptPresetJSON());
    TempLibrary::write(outside("pick/newer.JSON"), test::newerPresetJSON());
    TempLibrary::write(outside("pick/notes.txt"), "x");
    TempLibrary::write(outside("pick/Drums/Kick.json"), validPresetJSON());
    TempLibrary::write(outside("pick/Drums/Deeper/Snare.json"), validPresetJSON());  // not read
    std::filesystem::create_directories(outside("pick/Empty"));
    EXPECT_EQ(importPresetsFromFolder(outside("pick")), (ImportCounts{2, 0, 2}));
    EXPECT_EQ(presetNames(std::nullopt), (Names{"Lead"}));
    EXPECT_EQ(presetNames("Drums"), (Names{"Kick"}));
    EXPECT_EQ(presetFolderEntries(), (Names{"Drums"}));
}

TEST_F(PresetImport, SameNamesInOneFolderAndExistingFoldersAreMerged) {
    const std::string original = validPresetJSON(50);
    TempLibrary::write(lib.home() / "drums" / "Kick.json", original);
    TempLibrary::write(outside("pick/a/Lead.json"), validPresetJSON(51));
    TempLibrary::write(outside("pick/b/lead.json"), validPresetJSON(52));
    TempLibrary::write(outside("pick/DRUMS/kick.json"), validPresetJSON(53));
    // Sub-folders a and b go to their own folders; DRUMS merges into "drums".
    EXPECT_EQ(importPresetsFromFolder(outside("pick")), (ImportCounts{3, 1, 0}));
    EXPECT_EQ(presetFolderEntries(), (Names{"a", "b", "drums"}));
    EXPECT_EQ(presetNames("drums"), (Names{"Kick", "kick (imported)"}));
    EXPECT_EQ(TempLibrary::read(lib.home() / "drums" / "Kick.json"), original);
}

// The names written so far in one import count as taken.
TEST_F(PresetImport, TwoSameNamesInOneFolderGiveOneRenamedName) {
    TempLibrary::write(outside("pick/Lead.json"), validPresetJSON(51));
    TempLibrary::write(outside("pick/LEAD.json"), validPresetJSON(52));
    EXPECT_EQ(importPresetsFromFolder(outside("pick")), (ImportCounts{2, 1, 0}));
    EXPECT_EQ(presetNames(std::nullopt).size(), 2u);
}

TEST_F(PresetImport, FindsAnExportedFolderInsideTheChosenOne) {
    TempLibrary::write(outside("backup/Pulvan Presets/Pad.json"), validPresetJSON());
    TempLibrary::write(outside("backup/Pulvan Presets/Keys/Rhodes.json"), validPresetJSON());
    EXPECT_EQ(importPresetsFromFolder(outside("backup")), (ImportCounts{2, 0, 0}));
    EXPECT_EQ(presetNames(std::nullopt), (Names{"Pad"}));
    EXPECT_EQ(presetFolderEntries(), (Names{"Keys"}));
    EXPECT_EQ(presetNames("Keys"), (Names{"Rhodes"}));
    TempLibrary::write(outside("lib/Kezwerk/Pulvan/Bass.json"), validPresetJSON());
    EXPECT_EQ(importPresetsFromFolder(outside("lib")), (ImportCounts{1, 0, 0}));
}

TEST_F(PresetImport, AnUnreadableFileStopsTheImportAndKeepsWhatWasWritten) {
    TempLibrary::write(outside("pick/A.json"), validPresetJSON());
    std::filesystem::create_symlink(outside("pick/missing-target"), outside("pick/B.json"));  // listed, unreadable
    EXPECT_THROW(importPresetsFromFolder(outside("pick")), LibraryError);
    EXPECT_EQ(presetNames(std::nullopt), (Names{"A"}));
}

}  // namespace
}  // namespace pulvan::library
