// JACK's registry of servers outlives them: it has 8 places and frees one only for a server of the same
// name. Servers killed before they signed off (a test that timed out, a run stopped by hand) take them all,
// and then no server starts on the machine until the registry is made anew; the fixture must still start one.
// Runs before the fixture's own server starts and alone (see the CMake list), so that no JACK program has
// the registry open.
#include <gtest/gtest.h>

#include "tests/platform/foundation/temp_folder.h"
#include "tests/support/child_process.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pulvan::test {
namespace {

using namespace std::chrono_literals;

constexpr char kRegistry[] = "/dev/shm/jack-shm-registry";

bool aJackProgramHasTheRegistryOpen() {
    for (const auto& process : std::filesystem::directory_iterator("/proc")) {
        std::ifstream maps(process.path() / "maps");
        const std::string mapped{std::istreambuf_iterator<char>(maps), {}};
        if (mapped.find(kRegistry) != std::string::npos) return true;
    }
    return false;
}

bool answers(const std::string& server) {
    const ScopedEnvironment named("JACK_DEFAULT_SERVER", server);
    ChildProcess lsp({"jack_lsp"}, ChildProcess::Output::discarded);
    return lsp.exitStatusWithin(5s) == 0;
}

// Whether a server started under `name` answers, as opposed to ending at once; killed at the end.
bool startsAndAnswers(const std::string& name) {
    ChildProcess server({"jackd", "--no-realtime", "-n", name, "-d", "dummy"}, ChildProcess::Output::discarded);
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (answers(name)) return true;
        if (server.exitStatusWithin(50ms) != -1) return false;
    }
    ADD_FAILURE() << name << " neither answered nor ended";
    return false;
}

// What a killed server leaves in /dev/shm besides its place: its sockets and semaphores.
void removeTheRemainsOf(const std::string& server) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored)) {
        if (entry.path().filename().string().find("_" + server + "_") != std::string::npos) std::filesystem::remove_all(entry, ignored);
    }
}

TEST(JackRegistry, TheFixtureStartsAServerThoughKilledServersTookEveryPlace) {
    if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
    if (aJackProgramHasTheRegistryOpen()) GTEST_SKIP() << "another JACK program runs, which keeps JACK's registry as it is";
    const ScopedEnvironment noReservation("JACK_NO_AUDIO_RESERVATION", "1");
    const ScopedEnvironment noStart("JACK_NO_START_SERVER", "1");
    const std::string killed = PULVAN_TEST_JACK_SERVER "-killed-";
    bool full = false;
    for (int place = 0; place <= 8 && !full; ++place) {
        full = !startsAndAnswers(killed + std::to_string(place));
        removeTheRemainsOf(killed + std::to_string(place));
    }
    ASSERT_TRUE(full) << "nine servers started: the registry has more than 8 places";

    const std::string name = PULVAN_TEST_JACK_SERVER "-after-the-killed";
    const std::string script = PULVAN_JACK_SCRIPT;
    EXPECT_EQ(std::system((script + " start " + name + " >/dev/null").c_str()), 0) << "the fixture started no server";
    EXPECT_TRUE(answers(name));
    EXPECT_EQ(std::system((script + " stop " + name).c_str()), 0);
    EXPECT_FALSE(aJackProgramHasTheRegistryOpen());
}

}  // namespace
}  // namespace pulvan::test
