#include "platform/midi/jack_server_watch.h"

#include <gtest/gtest.h>

#include "platform/midi/jack_library.h"
#include "tests/platform/foundation/temp_folder.h"
#include "tests/support/child_process.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace pulvan::midi {
namespace {

using namespace std::chrono_literals;
using pulvan::test::ChildProcess;
using pulvan::test::ScopedEnvironment;
using pulvan::test::TempFolder;

// What a test leaves at an address: a leading '\0' makes the address an abstract name.
enum class Kind { listening, listeningWithAFullQueue, boundNotListening, leftBehind, plainFile };

class AtAddress {
public:
    AtAddress(const std::string& address, Kind kind) : address_(address) {
        if (kind == Kind::plainFile) {
            std::ofstream(address) << "not a socket";
            return;
        }
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const auto [name, length] = sockaddrOf(address);
        ::bind(fd_, reinterpret_cast<const sockaddr*>(&name), length);
        if (kind == Kind::leftBehind) ::close(std::exchange(fd_, -1));  // as a killed server leaves it
        if (kind == Kind::listening) ::listen(fd_, 8);
        if (kind == Kind::listeningWithAFullQueue) {
            ::listen(fd_, 0);
            bool refused = false;
            while (!refused && clients_.size() < 16) {
                clients_.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
                refused = ::connect(clients_.back(), reinterpret_cast<const sockaddr*>(&name), length) != 0 && errno == EAGAIN;
            }
            EXPECT_TRUE(refused) << "the queue of connections did not fill";
        }
    }
    ~AtAddress() {
        for (const int client : clients_) ::close(client);
        if (fd_ >= 0) ::close(fd_);
        if (address_[0] != '\0') ::unlink(address_.c_str());
    }
    AtAddress(const AtAddress&) = delete;
    AtAddress& operator=(const AtAddress&) = delete;

    void listen() { ::listen(fd_, 8); }

    // Whether a connection waits to be taken, looked at without waiting: a connect to a Unix
    // socket is queued before it returns.
    bool connectedTo() const {
        pollfd waiting{fd_, POLLIN, 0};
        return ::poll(&waiting, 1, 0) > 0;
    }

private:
    static std::pair<sockaddr_un, socklen_t> sockaddrOf(const std::string& address) {
        sockaddr_un name{};
        name.sun_family = AF_UNIX;
        address.copy(name.sun_path, sizeof name.sun_path - 1);
        return {name, static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size() + (address[0] == '\0' ? 0 : 1))};
    }

    std::string address_;
    int fd_ = -1;
    std::vector<int> clients_;
};

// A clock that moves only when the test moves it.
struct TestClock {
    std::chrono::steady_clock::time_point now{};
    JackServerWatch::Clock clock() {
        return [this] { return now; };
    }
};

// Each way of asking the kernel, and how a failure names it.
const std::pair<JackServerWatch::Kernel, const char*> kKernels[] = {
    {JackServerWatch::Kernel::diagnostics, " (socket diagnostics)"},
    {JackServerWatch::Kernel::listing, " (/proc/net/unix)"},
};

// This process's name for a server, that no other test's server has.
std::string ownServer(const std::string& suffix) { return "pulvan-" + std::to_string(::getpid()) + "-" + suffix; }

// `pattern` with <pid> and <uid> filled in.
std::string filled(std::string pattern) {
    for (const auto& [key, value] :
         {std::pair<std::string, std::string>{"<pid>", std::to_string(::getpid())}, {"<uid>", std::to_string(::geteuid())}}) {
        if (const auto at = pattern.find(key); at != std::string::npos) pattern.replace(at, key.size(), value);
    }
    return pattern;
}

struct PathCase {
    const char* name;
    const char* suffix;  // of the server's name
    bool everyUser;      // JACK_PROMISCUOUS_SERVER
    const char* socket;  // where jack2's server of that name listens
};

TEST(JackServerWatch, FindsAServerListeningWhereJack2PutsItsSocket) {
    const PathCase rows[] = {
        {"a slash", "a/b", false, "/dev/shm/jack_pulvan-<pid>-a_b_<uid>_0"},
        {"a backslash", "a\\b", false, "/dev/shm/jack_pulvan-<pid>-a_b_<uid>_0"},
        {"spaces and other characters", "a b:c'd\"e%s\xc3\xa9", false, "/dev/shm/jack_pulvan-<pid>-a b:c'd\"e%s\xc3\xa9_<uid>_0"},
        {"a server for every user", "a/b", true, "/dev/shm/jack_pulvan-<pid>-a_b_0"},
    };
    for (const PathCase& row : rows) {
        ScopedEnvironment named("JACK_DEFAULT_SERVER", ownServer(row.suffix));
        std::optional<ScopedEnvironment> everyUser;
        if (row.everyUser) everyUser.emplace("JACK_PROMISCUOUS_SERVER", "");
        AtAddress server(filled(row.socket), Kind::listening);
        for (const auto& [kernel, asked] : kKernels)
            EXPECT_TRUE(JackServerWatch(std::chrono::steady_clock::now, kernel).listening()) << row.name << asked;
    }
}

// Where the test puts something, besides the server's socket.
enum class Place { serverSocket, abstractNameOfIt, pathEndingInIt };

struct SocketCase {
    const char* name;
    std::vector<std::pair<Place, Kind>> there;
    bool listening;
};

TEST(JackServerWatch, TakesOnlyASocketListeningAtTheServersPathForItWithoutConnecting) {
    TempFolder elsewhere;
    ScopedEnvironment named("JACK_DEFAULT_SERVER", ownServer("what-is-there"));
    const std::string socket = filled("/dev/shm/jack_pulvan-<pid>-what-is-there_<uid>_0");
    std::filesystem::create_directories(elsewhere.path() / "dev/shm");
    const std::string addresses[] = {socket, std::string(1, '\0') + socket, elsewhere.path().string() + socket};
    const SocketCase rows[] = {
        {"nothing", {}, false},
        {"a listening socket", {{Place::serverSocket, Kind::listening}}, true},
        {"a listening socket whose queue is full", {{Place::serverSocket, Kind::listeningWithAFullQueue}}, true},
        {"a socket bound, not listening", {{Place::serverSocket, Kind::boundNotListening}}, false},
        {"a killed server's socket file", {{Place::serverSocket, Kind::leftBehind}}, false},
        {"a plain file", {{Place::serverSocket, Kind::plainFile}}, false},
        {"a killed server's file, and a listening abstract socket of its name",
         {{Place::serverSocket, Kind::leftBehind}, {Place::abstractNameOfIt, Kind::listening}},
         false},
        {"a killed server's file, and a listening socket whose path ends in it",
         {{Place::serverSocket, Kind::leftBehind}, {Place::pathEndingInIt, Kind::listening}},
         false},
    };
    for (const auto& [kernel, asked] : kKernels) {
        TestClock time;
        JackServerWatch watch(time.clock(), kernel);
        for (const SocketCase& row : rows) {
            time.now += 1s;  // no answer kept from the row before
            std::vector<std::unique_ptr<AtAddress>> made;
            for (const auto& [place, kind] : row.there)
                made.push_back(std::make_unique<AtAddress>(addresses[static_cast<int>(place)], kind));
            EXPECT_EQ(watch.listening(), row.listening) << row.name << asked;
            time.now += 1s;
            EXPECT_EQ(watch.listening(), row.listening) << row.name << asked << ", asked again";
            for (std::size_t i = 0; i < made.size(); ++i) {
                if (row.there[i].second == Kind::listening) {
                    EXPECT_FALSE(made[i]->connectedTo()) << row.name << asked << ": connected to";
                }
            }
        }
    }
}

TEST(JackServerWatch, LooksAtASilentSocketTwiceASecondButAtANewOneAtOnce) {
    ScopedEnvironment named("JACK_DEFAULT_SERVER", ownServer("looks"));
    const std::string socket = filled("/dev/shm/jack_pulvan-<pid>-looks_<uid>_0");
    TestClock time;
    JackServerWatch watch(time.clock());
    {
        AtAddress server(socket, Kind::boundNotListening);
        EXPECT_FALSE(watch.listening());
        server.listen();  // the file stays as it was
        EXPECT_FALSE(watch.listening()) << "looked again at once";
        time.now += 499ms;
        EXPECT_FALSE(watch.listening()) << "looked again within half a second";
        time.now += 1ms;
        EXPECT_TRUE(watch.listening()) << "not looked at again after half a second";
    }
    AtAddress left(socket, Kind::leftBehind);
    EXPECT_FALSE(watch.listening());
    ::unlink(socket.c_str());
    AtAddress restarted(socket, Kind::listening);
    EXPECT_TRUE(watch.listening()) << "a new socket not looked at at once";
}

// jack2's server started with -T quits when its last client leaves.
TEST(JackServerWatch, LeavesATemporaryServerUp) {
    if (std::system("command -v jackd >/dev/null 2>&1") != 0) GTEST_SKIP() << "jackd is not installed";
    const std::string name = ownServer("temporary");
    ScopedEnvironment named("JACK_DEFAULT_SERVER", name);
    std::optional<ChildProcess> server;
    {
        ScopedEnvironment noReservation("JACK_NO_AUDIO_RESERVATION", "1");
        server.emplace(std::vector<std::string>{"jackd", "-T", "--no-realtime", "-n", name, "-d", "dummy"},
                       ChildProcess::Output::discarded);
    }
    ASSERT_TRUE(server->started());
    JackServerWatch watch;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!watch.listening() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(watch.listening()) << "the server not found listening within 10 s";
    for (int look = 0; look < 10; ++look) EXPECT_TRUE(watch.listening());
    EXPECT_EQ(server->exitStatusWithin(2s), -1) << "the server quit";
    // Stopped, not killed: a killed server keeps its place among JACK's 8 for good.
    if (server->started()) server->signal(SIGTERM);
    server->exitStatusWithin(10s);
    // It leaves a semaphore of its own behind, named after it.
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
        if (entry.path().filename().string().find("_" + name + "_") != std::string::npos) std::filesystem::remove(entry.path());
    }
}

// One watch for the whole process: each row starts from what the row before left.
TEST(JackServerWatch, TakesAServerForThereOnlyWhileItsSocketListens) {
    if (!jackLibraryIsJack2()) GTEST_SKIP() << "libjack here is not jack2's";
    const std::string server = "pulvan-watch-" + std::to_string(::getpid());
    ScopedEnvironment named("JACK_DEFAULT_SERVER", server);
    const std::string path = "/dev/shm/jack_" + server + "_" + std::to_string(::geteuid()) + "_0";
    enum class AtTheSocket { nothing, aFileNobodyListensOn, aListeningServer };
    const struct {
        const char* name;
        AtTheSocket at;
        bool mayAnswer;
    } rows[] = {
        {"no server", AtTheSocket::nothing, false},
        {"a server that started", AtTheSocket::aListeningServer, true},
        {"a server that quit", AtTheSocket::nothing, false},
        {"a killed server's socket left behind", AtTheSocket::aFileNobodyListensOn, false},
        {"a server started again", AtTheSocket::aListeningServer, true},
    };
    for (const auto& row : rows) {
        std::optional<AtAddress> socket;
        if (row.at != AtTheSocket::nothing) {
            socket.emplace(path, row.at == AtTheSocket::aListeningServer ? Kind::listening : Kind::leftBehind);
        }
        EXPECT_EQ(jackServerMayAnswer(), row.mayAnswer) << row.name;
        EXPECT_EQ(jackServerMayAnswer(), row.mayAnswer) << row.name << ", asked again";
    }
    AtAddress listening(path, Kind::listening);
    ScopedEnvironment another("JACK_DEFAULT_SERVER", server + "-other");
    EXPECT_FALSE(jackServerMayAnswer()) << "another server named, which is not there";
}

}  // namespace
}  // namespace pulvan::midi
