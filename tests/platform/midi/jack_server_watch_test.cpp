#include "platform/midi/jack_server_watch.h"

#include <gtest/gtest.h>

#include "platform/midi/jack_library.h"
#include "tests/platform/foundation/temp_folder.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <utility>

namespace pulvan::midi {
namespace {

// What lies where jack2's server listens, as the test leaves it.
enum class AtTheSocket { nothing, aFileNobodyListensOn, aListeningServer };

struct WatchCase {
    const char* name;
    AtTheSocket at;
    bool mayAnswer;
};

// A socket at `path`, listening or (as one a killed server left) not.
class ServerSocket {
public:
    ServerSocket(const std::string& path, bool listening) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)), path_(path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        if (listening) {
            ::listen(fd_, 8);
        } else {
            ::close(std::exchange(fd_, -1));
        }
    }
    ~ServerSocket() {
        if (fd_ >= 0) ::close(fd_);
        ::unlink(path_.c_str());
    }
    ServerSocket(const ServerSocket&) = delete;
    ServerSocket& operator=(const ServerSocket&) = delete;

private:
    int fd_;
    std::string path_;
};

// One watch for the whole process: each row starts from what the row before left.
TEST(JackServerWatch, TakesAServerForThereOnlyWhileItsSocketListens) {
    if (!jackLibraryIsJack2()) GTEST_SKIP() << "libjack here is not jack2's";
    const std::string server = "pulvan-watch-" + std::to_string(::getpid());
    pulvan::test::ScopedEnvironment named("JACK_DEFAULT_SERVER", server);
    const std::string path = "/dev/shm/jack_" + server + "_" + std::to_string(::geteuid()) + "_0";
    const WatchCase rows[] = {
        {"no server", AtTheSocket::nothing, false},
        {"a server that started", AtTheSocket::aListeningServer, true},
        {"a server that quit", AtTheSocket::nothing, false},
        {"a killed server's socket left behind", AtTheSocket::aFileNobodyListensOn, false},
        {"a server started again", AtTheSocket::aListeningServer, true},
    };
    for (const WatchCase& row : rows) {
        std::optional<ServerSocket> socket;
        if (row.at != AtTheSocket::nothing) socket.emplace(path, row.at == AtTheSocket::aListeningServer);
        EXPECT_EQ(jackServerMayAnswer(), row.mayAnswer) << row.name;
        EXPECT_EQ(jackServerMayAnswer(), row.mayAnswer) << row.name << ", asked again";
    }
    ServerSocket listening(path, true);
    pulvan::test::ScopedEnvironment another("JACK_DEFAULT_SERVER", server + "-other");
    EXPECT_FALSE(jackServerMayAnswer()) << "another server named, which is not there";
}

}  // namespace
}  // namespace pulvan::midi
