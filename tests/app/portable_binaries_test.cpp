// The bundle and the application load on any x86_64 desktop with glibc 2.34 or
// newer: they need only libraries with names that every desktop keeps, and no
// symbol versions newer than those systems have.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

// glibc's own libraries, the GCC unwinder that every glibc system has, and
// the desktop's X11/XCB, xkbcommon, cairo, pango, fontconfig, GLib, ALSA and D-Bus.
const std::regex kAllowedLibrary(
    R"((libc\.so\.6|libm\.so\.6|libdl\.so\.2|libpthread\.so\.0|ld-linux-x86-64\.so\.2|libgcc_s\.so\.1)"
    R"(|libX(11|ext|fixes|i|randr|render|cursor)\.so\.[0-9]+|libxcb(-[a-z0-9]+)?\.so\.[01]|libxkbcommon(-x11)?\.so\.0|libcairo\.so\.2)"
    R"(|libpango(cairo|ft2)?-1\.0\.so\.0|libfontconfig\.so\.1|libg(lib|object|io)-2\.0\.so\.0)"
    R"(|libasound\.so\.2|libdbus-1\.so\.3))");

// The newest version of each versioned library interface they may use; a
// family not listed may not appear at all (the C++ runtime is linked in).
// xkbcommon's (V) 0.6 is years older than any system with glibc 2.34.
const std::map<std::string, std::vector<int>> kNewestVersion{
    {"GLIBC", {2, 34}}, {"GCC", {4, 2, 0}}, {"ALSA", {0, 9}}, {"LIBDBUS", {1}}, {"V", {0, 6, 0}}};

std::vector<std::string> matchingLines(const std::string& command, const std::regex& pattern) {
    std::vector<std::string> found;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return found;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::smatch match;
        const std::string text(line);
        if (std::regex_search(text, match, pattern)) found.push_back(match[1]);
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return found;
}

std::vector<int> versionNumbers(const std::string& dotted) {
    std::vector<int> numbers;
    for (std::size_t at = 0; at < dotted.size();) {
        const std::size_t end = dotted.find('.', at);
        numbers.push_back(std::stoi(dotted.substr(at, end - at)));
        at = end == std::string::npos ? dotted.size() : end + 1;
    }
    return numbers;
}

class PortableBinary : public ::testing::TestWithParam<const char*> {};

TEST_P(PortableBinary, NeedsOnlyLibrariesEveryDesktopHas) {
    const auto needed = matchingLines(std::string("readelf --dynamic --wide '") + GetParam() + "'",
                                      std::regex(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])"));
    ASSERT_FALSE(needed.empty()) << "no dynamic section read from " << GetParam();
    for (const std::string& library : needed) EXPECT_TRUE(std::regex_match(library, kAllowedLibrary)) << GetParam() << " needs " << library;
}

TEST_P(PortableBinary, UsesNoSymbolVersionNewerThanTheOldestSupportedSystem) {
    const auto versions =
        matchingLines(std::string("readelf --version-info --wide '") + GetParam() + "'", std::regex(R"(Name: ([A-Z]+_[0-9.]+))"));
    ASSERT_FALSE(versions.empty()) << "no version needs read from " << GetParam();
    std::set<std::string> seen(versions.begin(), versions.end());
    for (const std::string& version : seen) {
        const std::size_t split = version.rfind('_');
        const auto limit = kNewestVersion.find(version.substr(0, split));
        if (limit == kNewestVersion.end()) {
            ADD_FAILURE() << GetParam() << " needs " << version << ", from a library that may not be needed at all";
        } else {
            EXPECT_LE(versionNumbers(version.substr(split + 1)), limit->second) << GetParam() << " needs " << version;
        }
    }
}

// A bundle that links the C++ runtime in is marked as needing static TLS: the loader
// must find room for its whole thread-local block in the few hundred bytes glibc
// keeps for modules opened later, which every other such plug-in in the host shares.
TEST(PortableBundle, ThreadLocalBlockFitsTheLoadersReserve) {
    const auto sizes = matchingLines(std::string("readelf --program-headers --wide '") + PULVAN_BUNDLE_LIBRARY + "'",
                                     std::regex(R"(^\s*TLS\s+\S+\s+\S+\s+\S+\s+\S+\s+(0x[0-9a-f]+))"));
    ASSERT_LE(sizes.size(), 1u);
    if (!sizes.empty()) {
        EXPECT_LE(std::stoul(sizes.front(), nullptr, 16), 256u) << "bytes of thread-local storage";
    }
}

INSTANTIATE_TEST_SUITE_P(BundleAndApplication, PortableBinary, ::testing::Values(PULVAN_BUNDLE_LIBRARY, PULVAN_PROGRAM));

}  // namespace
