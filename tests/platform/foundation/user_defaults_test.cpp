#include "platform/foundation/user_defaults.h"

#include <gtest/gtest.h>

#include "platform/foundation/atomic_file.h"
#include "platform/foundation/base64.h"
#include "tests/platform/foundation/temp_folder.h"

#include <fstream>
#include <string>

using pulvan::foundation::base64Decode;
using pulvan::foundation::base64Encode;
using pulvan::foundation::readWholeFile;
using pulvan::foundation::UserDefaults;
using pulvan::foundation::writeFileAtomically;
using pulvan::test::ScopedEnvironment;
using pulvan::test::TempFolder;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

}  // namespace

TEST(UserDefaults, StandardPathFollowsXdgConfigHome) {
    TempFolder folder;
    ScopedEnvironment config("XDG_CONFIG_HOME", folder.path().string());
    EXPECT_EQ(UserDefaults::standardPath(), folder.path() / "Kezwerk" / "Pulvan" / "defaults.json");
    ScopedEnvironment empty("XDG_CONFIG_HOME", "");
    ScopedEnvironment home("HOME", "/home/someone");
    EXPECT_EQ(UserDefaults::standardPath(), std::filesystem::path("/home/someone/.config/Kezwerk/Pulvan/defaults.json"));
}

TEST(UserDefaults, ValuesAndDataRoundTripThroughTheFileAndKeepOtherKeys) {
    TempFolder folder;
    const auto file = folder.path() / "a" / "b" / "defaults.json";
    UserDefaults writer(file);
    const std::vector<std::uint8_t> binary{0, 1, 2, 0xFF, 0x80, '{', '"'};
    ASSERT_TRUE(writer.setData("kez.user_preferences", binary));
    ASSERT_TRUE(writer.setValue("kez.midi_mappings_v1", nlohmann::json{{"scene_1", 20}}));

    UserDefaults reader(file);  // another editor sharing the file
    EXPECT_EQ(reader.data("kez.user_preferences"), binary);
    EXPECT_EQ(reader.value("kez.midi_mappings_v1"), (nlohmann::json{{"scene_1", 20}}));
    EXPECT_FALSE(reader.value("missing").has_value());
    EXPECT_FALSE(reader.data("kez.midi_mappings_v1").has_value()) << "a plain value is not a data value";

    ASSERT_TRUE(reader.removeValue("kez.user_preferences"));
    EXPECT_FALSE(writer.data("kez.user_preferences").has_value());
    EXPECT_TRUE(writer.value("kez.midi_mappings_v1").has_value());
}

TEST(UserDefaults, ADamagedFileReadsAsEmptyAndIsKeptAsideOnTheNextWrite) {
    TempFolder folder;
    const auto file = folder.path() / "defaults.json";
    for (const char* damaged : {"{\"kez.user_preferences\": ", "[1, 2]", "\x01\x02garbage"}) {
        writeText(file, damaged);
        UserDefaults defaults(file);
        EXPECT_FALSE(defaults.value("kez.user_preferences").has_value()) << damaged;
        ASSERT_TRUE(defaults.setValue("key", 1)) << damaged;
        EXPECT_EQ(defaults.value("key"), nlohmann::json(1));
        auto kept = readWholeFile(folder.path() / "defaults.json.damaged").bytes;
        ASSERT_TRUE(kept.has_value());
        EXPECT_EQ(*kept, damaged);
    }
}

TEST(UserDefaults, AnUnwritableFolderFailsAndLeavesTheStoredValues) {
    TempFolder folder;
    const auto blocker = folder.path() / "not-a-folder";
    writeText(blocker, "x");
    UserDefaults defaults(blocker / "defaults.json");
    EXPECT_FALSE(defaults.setValue("key", 1));
    EXPECT_FALSE(defaults.value("key").has_value());
}

TEST(AtomicFile, ReplacesTheWholeFileAndLeavesNoTemporaryBehind) {
    TempFolder folder;
    const auto file = folder.path() / "preset.json";
    ASSERT_FALSE(writeFileAtomically(file, "a much longer first version"));
    ASSERT_FALSE(writeFileAtomically(file, "short"));
    EXPECT_EQ(readWholeFile(file).bytes, "short");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_FALSE(readWholeFile(folder.path() / "missing").bytes.has_value());
    EXPECT_FALSE(readWholeFile(folder.path()).bytes.has_value()) << "a folder is not a file";
}

TEST(Base64, EncodesAndDecodesTheKnownVectorsAndRejectsMalformedText) {
    for (const auto& [bytes, text] : std::vector<std::pair<std::string, std::string>>{{"", ""},
                                                                                      {"f", "Zg=="},
                                                                                      {"fo", "Zm8="},
                                                                                      {"foo", "Zm9v"},
                                                                                      {"foob", "Zm9vYg=="},
                                                                                      {"fooba", "Zm9vYmE="},
                                                                                      {"foobar", "Zm9vYmFy"}}) {
        EXPECT_EQ(base64Encode(bytesOf(bytes)), text);
        EXPECT_EQ(base64Decode(text), bytesOf(bytes));
    }
    for (const char* bad : {"Zg=", "Zg", "Z===", "Zh==", "Zm9=Zm9v", "Zm9v!A==", "Zm=v"}) {
        EXPECT_FALSE(base64Decode(bad).has_value()) << bad;
    }
}
