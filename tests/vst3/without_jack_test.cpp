// The bundle on a machine without JACK: libjack hidden from the loader, no ALSA
// sequencer, LD_LIBRARY_PATH at an empty folder (without_jack.sh sets that up).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string output(const std::string& command, int& status) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    status = pclose(pipe);
    return text;
}

TEST(BundleWithoutJack, LoadsPlaysTheDemoAndReportsNoMidiPorts) {
    if (std::system("unshare --mount true 2>/dev/null") != 0)
        GTEST_SKIP() << "unshare --mount is not permitted here (it needs root or user namespaces)";
    const auto emptyFolder = std::filesystem::temp_directory_path() / ("pulvan-empty-" + std::to_string(getpid()));
    std::filesystem::create_directories(emptyFolder);

    const std::string command =
        std::string("sh ") + PULVAN_WITHOUT_JACK_SCRIPT + " " + emptyFolder.string() + " " + PULVAN_WITHOUT_JACK_RUNNER + " 2>&1";
    int status = -1;
    const std::string text = output(command, status);
    std::filesystem::remove(emptyFolder);

    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("bundle loaded\n"), std::string::npos) << text;
    EXPECT_NE(text.find("demo notes played: "), std::string::npos) << text;
    EXPECT_NE(text.find("MIDI ports: 0\n"), std::string::npos) << text;
}

}  // namespace
