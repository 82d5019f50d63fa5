// Where pulvan finds its bundle: the real program copied into a temp folder laid out as a user carries or
// installs it, run without a display, so that it stops right after loading the bundle, or says where it looked.
#include <gtest/gtest.h>

#include "tests/platform/foundation/temp_folder.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

namespace pulvan::app {
namespace {

namespace fs = std::filesystem;
using pulvan::test::TempFolder;

const fs::path kBuiltBundle = fs::path(PULVAN_BUNDLE_LIBRARY).parent_path().parent_path().parent_path();

// The program at <root>/bin/pulvan, run with <root>/home as its home and nothing else in its environment:
// its exit status and what it printed.
std::pair<int, std::string> runProgramIn(const fs::path& root) {
    fs::create_directories(root / "bin");
    fs::create_directories(root / "home");
    fs::copy_file(PULVAN_PROGRAM, root / "bin/pulvan");
    const std::string command =
        "env -i HOME='" + (root / "home").string() + "' JACK_NO_START_SERVER=1 '" + (root / "bin/pulvan").string() + "' 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, output};
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) output += line;
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

struct Layout {
    const char* name;
    const char* bundleFolder;  // under the temp folder
    bool linked;               // a symbolic link to the built bundle rather than a copy
};

void PrintTo(const Layout& l, std::ostream* os) { *os << l.name; }

class BundleSearch : public ::testing::TestWithParam<Layout> {};

TEST_P(BundleSearch, LoadsTheBundleFoundThere) {
    TempFolder root;
    const fs::path folder = root.path() / GetParam().bundleFolder;
    fs::create_directories(folder);
    if (GetParam().linked) {
        fs::create_directory_symlink(kBuiltBundle, folder / "Pulvan.vst3");
    } else {
        fs::copy(kBuiltBundle, folder / "Pulvan.vst3", fs::copy_options::recursive);
    }
    const auto [status, output] = runProgramIn(root.path());
    EXPECT_NE(output.find("Could not open a window"), std::string::npos) << "the bundle was not loaded:\n" << output;
    EXPECT_EQ(status, 1) << "without a display";
}

INSTANTIATE_TEST_SUITE_P(Layouts, BundleSearch,
                         ::testing::Values(Layout{"BesideTheProgram", "bin", false}, Layout{"AboveTheProgramAsInTheBuildTree", ".", false},
                                           Layout{"InstalledUnderTheProgramsPrefix", "lib/vst3", false},
                                           Layout{"LinkedIntoTheUsersFolder", "home/.vst3", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BundleSearch, WithoutABundleNamesEveryFolderItLookedIn) {
    if (fs::exists(fs::path(PULVAN_INSTALLED_VST3_DIR) / "Pulvan.vst3")) GTEST_SKIP() << "a bundle is installed on this machine";
    TempFolder root;
    const auto [status, output] = runProgramIn(root.path());
    EXPECT_EQ(status, 1);
    for (const fs::path& place :
         {root.path() / "bin", root.path(), root.path() / "lib/vst3", root.path() / "home/.vst3", fs::path(PULVAN_INSTALLED_VST3_DIR)})
        EXPECT_NE(output.find("  " + place.string() + "\n"), std::string::npos) << place << " is not named in:\n" << output;
}

}  // namespace
}  // namespace pulvan::app
