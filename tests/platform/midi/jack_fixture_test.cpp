// The JACK fixture that the MIDI tests start their servers with, against servers that never answer.
#include <gtest/gtest.h>

#include "tests/platform/foundation/temp_folder.h"
#include "tests/support/child_process.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace pulvan::test {
namespace {

using namespace std::chrono_literals;

std::string contentsOf(const std::filesystem::path& file) {
    std::ostringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
}

// The server a case has the fixture start, under a name of the case's; stopped at the end, whatever the start left running.
struct FixtureServer {
    explicit FixtureServer(const std::string& caseName) : name(PULVAN_TEST_JACK_SERVER "-unanswered-" + caseName) {}
    ~FixtureServer() {
        std::system((std::string(PULVAN_JACK_SCRIPT) + " stop " + name).c_str());
        std::filesystem::remove(log);
    }

    std::string name;
    std::filesystem::path log = "/tmp/pulvan-jackd-" + name + ".log";
};

struct UnansweredCase {
    const char* name;
    const char* program;  // found on PATH before the machine's own
    const char* script;   // what it does instead
    const char* says;     // what the fixture says as it gives up
    bool needsJackd;      // whether the machine's own jackd runs meanwhile
    // How long the start may take to give up: for a server that still runs, well above the fixture's own bound
    // and well below what probes without one add up to; for one that ended, below that bound.
    std::chrono::seconds within;
};

void PrintTo(const UnansweredCase& c, std::ostream* os) { *os << c.name; }

class JackFixtureTest : public ::testing::TestWithParam<UnansweredCase> {};

// A server that never answers fails the start within a bounded time, saying what did not come up and
// showing the server's log: a run fails in seconds instead of waiting minutes on it.
TEST_P(JackFixtureTest, AServerThatNeverAnswersFailsTheStartWithItsLog) {
    const UnansweredCase& c = GetParam();
    if (c.needsJackd && std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
    TempFolder folder;
    const std::filesystem::path fake = folder.path() / c.program;
    std::ofstream(fake) << "#!/bin/sh\n" << c.script << "\n";
    std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
    const FixtureServer server(c.name);
    const std::filesystem::path output = folder.path() / "output";

    ChildProcess start({"sh", "-c", "PATH=\"$0:$PATH\" exec \"$1\" start \"$2\" >\"$3\" 2>&1", folder.path().string(), PULVAN_JACK_SCRIPT,
                        server.name, output.string()});
    ASSERT_TRUE(start.started());
    const int status = start.exitStatusWithin(c.within);
    ASSERT_NE(status, -1) << "the fixture still waits for the server";
    EXPECT_EQ(status, 1);
    const std::string said = contentsOf(output);
    EXPECT_NE(said.find(server.name + " " + c.says), std::string::npos) << said;
    const std::string logged = contentsOf(server.log);
    ASSERT_FALSE(logged.empty()) << "the server logged nothing";
    EXPECT_NE(said.find(logged.substr(0, logged.find('\n'))), std::string::npos) << "the server's log is not shown:\n" << said;
}

INSTANTIATE_TEST_SUITE_P(Servers, JackFixtureTest,
                         ::testing::Values(
                             // As every client does while a killed one holds JACK's metadata store.
                             UnansweredCase{"WhoseClientsHang", "jack_lsp", "exec sleep 600", "did not answer", true, 90s},
                             UnansweredCase{"ThatEndsAtOnce", "jackd", "echo 'cannot open the dummy driver'; exit 1",
                                            "ended before it answered", false, 20s}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pulvan::test
