#include "editor/library/chord_progression_files.h"

#include <gtest/gtest.h>

#include "tests/editor/library/temp_library.h"

#include <nlohmann/json.hpp>

namespace pulvan::library {
namespace {

using test::TempLibrary;
using Chords = std::vector<model::Chord>;
using Names = std::vector<std::string>;

class ChordProgressionFiles : public ::testing::Test {
protected:
    TempLibrary lib;
};

TEST_F(ChordProgressionFiles, SavesEightNormalisedChords) {
    ASSERT_TRUE(writeChordProgressionPresetFile("Pad #1", {{67, 60, 64, 60}, {200, -3}}));
    const auto document = nlohmann::json::parse(TempLibrary::read(lib.chords() / "Pad %231.json"));
    EXPECT_EQ(document["version"], "v1");
    EXPECT_EQ(document["chords"].get<Chords>(), (Chords{{60, 64, 67}, {0, 127}, {}, {}, {}, {}, {}, {}}));
    EXPECT_EQ(readChordProgressionPresetFile("Pad #1"), (Chords{{60, 64, 67}, {0, 127}, {}, {}, {}, {}, {}, {}}));
    TempLibrary::write(lib.chords() / "x.json", "not json");
    EXPECT_EQ(readChordProgressionPresetFile("x"), std::nullopt);
}

TEST_F(ChordProgressionFiles, NamesAreListedInPlainOrder) {
    for (const char* name : {"beta", "Alpha", "alpha 2", "Zulu"}) ASSERT_TRUE(writeChordProgressionPresetFile(name, {}));
    TempLibrary::write(lib.chords() / "readme.txt", "");
    EXPECT_EQ(chordProgressionPresetNames(), (Names{"Alpha", "Zulu", "alpha 2", "beta"}));
}

TEST_F(ChordProgressionFiles, AnotherLetterCaseReplacesTheFile) {
    ASSERT_TRUE(writeChordProgressionPresetFile("verse", {{60}}));
    ASSERT_TRUE(writeChordProgressionPresetFile("VERSE", {{62}}));
    EXPECT_EQ(chordProgressionPresetNames(), (Names{"VERSE"}));
    EXPECT_EQ(readChordProgressionPresetFile("VERSE")->front(), (model::Chord{62}));
}

TEST_F(ChordProgressionFiles, FilesWithOddEscapesAreReadAndDeletedByTheirListedName) {
    TempLibrary::write(lib.chords() / "Bad %ZZ.json", "[[60]]");
    TempLibrary::write(lib.chords() / "a%2fb.json", "[[61]]");
    EXPECT_EQ(chordProgressionPresetNames(), (Names{"Bad %ZZ", "a/b"}));
    EXPECT_TRUE(readChordProgressionPresetFile("Bad %ZZ").has_value());
    EXPECT_TRUE(readChordProgressionPresetFile("a/b").has_value());
    EXPECT_TRUE(deleteChordProgressionPresetFile("a/b"));
    EXPECT_FALSE(deleteChordProgressionPresetFile("a/b"));
    EXPECT_EQ(chordProgressionPresetNames(), (Names{"Bad %ZZ"}));
}

}  // namespace
}  // namespace pulvan::library
