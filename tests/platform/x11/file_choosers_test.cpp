#include "platform/x11/file_choosers.h"

#include <gtest/gtest.h>

#include "tests/platform/foundation/temp_folder.h"

#include <dbus/dbus.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace pulvan::x11 {
namespace {

using Status = ChooserResult::Status;
using pulvan::test::ScopedEnvironment;
using pulvan::test::TempFolder;

pid_t spawn(std::vector<std::string> args, int stdoutFd = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int result = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Choosers : public ::testing::Test {
protected:
    // Runs one chooser to its answer on the main queue.
    ChooserResult choose(ChooserOptions options) {
        foundation::MainQueue queue;
        FileChoosers choosers(queue);
        std::optional<ChooserResult> result;
        choosers.choose(std::move(options), [&](const ChooserResult& r) { result = r; });
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!result && std::chrono::steady_clock::now() < end) {
            queue.pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return result.value_or(ChooserResult{Status::failed, {}, "no answer"});
    }

    // A chooser program on PATH: records its arguments, prints FAKE_CHOICE and exits with FAKE_EXIT.
    void installProgram(const char* name) {
        const auto script = bin.path() / name;
        std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> \"" << (bin.path() / "args").string()
                              << "\"; done\n[ -n \"$FAKE_CHOICE\" ] && echo \"$FAKE_CHOICE\"\nexit ${FAKE_EXIT:-0}\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }
    std::string arguments() { return readFile(bin.path() / "args"); }

    TempFolder bin;
    // No session bus here unless a test starts one; no other chooser program than the test's.
    ScopedEnvironment noBus{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pulvan-no-bus"};
    ScopedEnvironment path{"PATH", bin.path().string()};
};

TEST_F(Choosers, WithoutPortalOrProgramNoneIsAvailable) {
    {
        // No session bus named and none at the per-user socket: no bus is autolaunched (which leaked on
        // failure). First in the process, before libdbus keeps an address it was given.
        TempFolder runtime;
        ScopedEnvironment unnamed{"DBUS_SESSION_BUS_ADDRESS", ""}, noSocket{"XDG_RUNTIME_DIR", runtime.path().string()},
            display{"DISPLAY", ":0"};
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        EXPECT_EQ(choose({}).status, Status::unavailable);
    }
    EXPECT_EQ(choose({}).status, Status::unavailable);
}

TEST_F(Choosers, ZenityChoosesFoldersAndJSONFilesAndReportsCancel) {
    installProgram("kdialog");  // zenity comes first when both are there
    installProgram("zenity");
    struct Case {
        bool folders;
        const char* choice;
        const char* exit;
        Status status;
        const char* argument;
    };
    for (const Case& c :
         {Case{true, "/home/me/Presets", "0", Status::chosen, "--directory"},
          Case{false, "/home/me/one.json", "0", Status::chosen, "--file-filter=*.json "},
          Case{true, "", "1", Status::cancelled, "--file-selection"}, Case{true, "", "5", Status::failed, "--attach=4194311"}}) {
        SCOPED_TRACE(c.choice);
        std::filesystem::remove(bin.path() / "args");
        ScopedEnvironment choice("FAKE_CHOICE", c.choice), exit("FAKE_EXIT", c.exit);
        const ChooserResult result = choose({c.folders, c.folders ? std::vector<std::string>{} : std::vector<std::string>{"json"}, "Choose",
                                             std::optional<std::uint32_t>(0x400007)});
        EXPECT_EQ(result.status, c.status);
        if (c.status == Status::chosen) {
            EXPECT_EQ(result.path, c.choice);
        }
        EXPECT_NE(arguments().find(std::string(c.argument) + "\n"), std::string::npos) << arguments();
        EXPECT_EQ(arguments().find("--getexistingdirectory"), std::string::npos);
    }
}

TEST_F(Choosers, KdialogWhenThereIsNoZenity) {
    installProgram("kdialog");
    ScopedEnvironment choice("FAKE_CHOICE", "/srv/presets");
    const ChooserResult result = choose({true, {}, "Choose", std::nullopt});
    EXPECT_EQ(result.status, Status::chosen);
    EXPECT_EQ(result.path, "/srv/presets");
    EXPECT_NE(arguments().find("--getexistingdirectory\n"), std::string::npos);
}

// A private session bus with a small portal on it. libdbus reads the session bus's address once per
// process, so each of these runs in a process of its own, as ctest runs them.
class PortalChooser : public Choosers {
protected:
    void SetUp() override {
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        // PATH holds only the test's programs now.
        std::string program;
        for (const char* folder : {"/usr/bin", "/bin", "/usr/local/bin"})
            if (program.empty() && access((std::string(folder) + "/dbus-daemon").c_str(), X_OK) == 0)
                program = std::string(folder) + "/dbus-daemon";
        if (!program.empty()) daemon = spawn({program, "--session", "--nofork", "--print-address=1"}, out[1]);
        close(out[1]);
        if (daemon < 0) GTEST_SKIP() << "dbus-daemon is not installed";
        char buffer[512] = {};
        const ssize_t n = read(out[0], buffer, sizeof buffer - 1);
        close(out[0]);
        ASSERT_GT(n, 0);
        address = std::string(buffer, static_cast<std::size_t>(n));
        address = address.substr(0, address.find('\n'));
        bus.emplace("DBUS_SESSION_BUS_ADDRESS", address);
    }
    void TearDown() override {
        for (pid_t pid : {portal, daemon})
            if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
    }
    void startPortal(const std::string& uri) {
        ScopedEnvironment answer("FAKE_PORTAL_URI", uri), log("FAKE_PORTAL_LOG", (bin.path() / "portal").string());
        portal = spawn({PULVAN_FAKE_PORTAL});
        ASSERT_GT(portal, 0);
        DBusConnection* c = dbus_connection_open_private(address.c_str(), nullptr);
        ASSERT_NE(c, nullptr);
        ASSERT_TRUE(dbus_bus_register(c, nullptr));
        for (int i = 0; i < 200 && !dbus_bus_name_has_owner(c, "org.freedesktop.portal.Desktop", nullptr); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        dbus_connection_close(c);
        dbus_connection_unref(c);
    }

    pid_t daemon = -1, portal = -1;
    std::string address;
    std::optional<ScopedEnvironment> bus;
};

TEST_F(PortalChooser, ThePortalAnswersBeforeAnyProgram) {
    installProgram("zenity");
    startPortal("file:///home/me/My%20Presets");
    const ChooserResult result = choose({true, {}, "Choose a folder", std::optional<std::uint32_t>(0x400007)});
    EXPECT_EQ(result.status, Status::chosen);
    EXPECT_EQ(result.path, "/home/me/My Presets");
    EXPECT_EQ(readFile(bin.path() / "portal"), "parent x11:400007\ndirectory true\n");
    EXPECT_FALSE(std::filesystem::exists(bin.path() / "args"));

    const ChooserResult file = choose({false, {"json"}, "Choose a file", std::nullopt});
    EXPECT_EQ(file.status, Status::chosen);
    EXPECT_NE(readFile(bin.path() / "portal").find("directory false\nfilter *.json\n"), std::string::npos);
}

TEST_F(PortalChooser, ACancelInThePortalIsTheUsersCancel) {
    startPortal("cancel");
    EXPECT_EQ(choose({true, {}, "Choose a folder", std::nullopt}).status, Status::cancelled);
}

}  // namespace
}  // namespace pulvan::x11
