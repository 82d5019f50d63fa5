// The plug-in in a host and the standalone application where JACK is installed but no server runs,
// on a machine too busy to start libjack's threads on time (late_jack_threads preloaded), which
// jack2's libjack does not survive: each lives on without asking libjack for a server, and finds
// one started later within a second.
#include <gtest/gtest.h>

#include "platform/midi/jack_ports.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/platform/midi/jack_server.h"
#include "tests/support/child_process.h"

#include <jack/jack.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace pulvan::app {
namespace {

using namespace std::chrono_literals;
using pulvan::test::ChildProcess;
using pulvan::test::ScopedEnvironment;
using pulvan::test::TempFolder;

constexpr char kReceiverPort[] = "PulvanStandaloneMIDIInClient:PulvanStandaloneMIDIInPort";
constexpr char kSenderPort[] = "PulvanStandaloneMIDIClient:PulvanStandaloneMIDIPort";

struct ProgramCase {
    const char* name;
    const char* program;
    std::vector<std::string> ports;  // its own, once a server is there
};

void PrintTo(const ProgramCase& c, std::ostream* os) { *os << c.name; }

// The server's MIDI ports, as another program on it sees them.
std::set<std::string> midiPorts(midi::JackClient& observer) {
    std::set<std::string> ports;
    observer.use([&](jack_client_t* client) {
        if (const char** names = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, 0)) {
            for (const char** name = names; *name; ++name) ports.insert(*name);
            jack_free(names);
        }
    });
    return ports;
}

class NoJackServer : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(NoJackServer, ItLivesStartsNoThreadOfLibjacksAndFindsAServerStartedLaterWithinASecond) {
    if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (Xvfb is not installed)";
    const ProgramCase& c = GetParam();
    TempFolder home;
    const std::string suffix = std::string("late-") + c.name;
    const std::filesystem::path threads = home.path() / "libjack-threads";
    const std::filesystem::path onTime = home.path() / "on-time";
    // Outlives the program: a server stopped while the program's clients are there waits for each of them.
    std::optional<midi::test::OwnJackServer> server;
    std::optional<ChildProcess> program;
    {
        ScopedEnvironment preload("LD_PRELOAD", PULVAN_LATE_JACK_THREADS);
        ScopedEnvironment log("PULVAN_JACK_THREAD_LOG", threads.string());
        ScopedEnvironment quiet("PULVAN_JACK_THREADS_ON_TIME", onTime.string());
        ScopedEnvironment named("JACK_DEFAULT_SERVER", midi::test::OwnJackServer::nameFor(suffix));
        ScopedEnvironment noStart("JACK_NO_START_SERVER", "1");
        ScopedEnvironment config("XDG_CONFIG_HOME", (home.path() / "config").string());
        ScopedEnvironment data("XDG_DATA_HOME", (home.path() / "data").string());
        program.emplace(std::vector<std::string>{c.program});
    }
    ASSERT_TRUE(program->started());

    EXPECT_EQ(program->exitStatusWithin(20s), -1) << "it quit";
    ASSERT_TRUE(program->started()) << "it did not live 20 seconds without a JACK server";
    std::ifstream lines(threads);
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(lines), {}, '\n'), 0) << "libjack started threads with no server there";

    // libjack's own fault with a server there is not this test's: from here on its threads start on time.
    std::ofstream(onTime).put('\n');
    server.emplace(suffix, 256);
    ASSERT_TRUE(server->started());
    const auto deadline = std::chrono::steady_clock::now() + 1s;
    auto observer = midi::JackClient::open("Port Watcher");
    ASSERT_TRUE(observer);
    std::set<std::string> listed;
    const auto allListed = [&] {
        listed = midiPorts(*observer);
        return std::ranges::all_of(c.ports, [&](const std::string& port) { return listed.contains(port); });
    };
    while (!allListed() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(allListed()) << "its ports were not there a second after the server started";
    EXPECT_EQ(program->exitStatusWithin(0ms), -1);
    EXPECT_TRUE(program->started()) << "it died once the server came";
}

INSTANTIATE_TEST_SUITE_P(Programs, NoJackServer,
                         ::testing::Values(ProgramCase{"PluginInAHost", PULVAN_PLAYING_HOST, {kReceiverPort}},
                                           ProgramCase{"Application", PULVAN_PROGRAM, {kSenderPort, kReceiverPort}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::app
