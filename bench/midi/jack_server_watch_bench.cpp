#include "platform/midi/jack_server_watch.h"

#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace pulvan::midi {
namespace {

// Sockets bound at `folder`/<n>, as a desktop's programs hold them: the kernel's table the watch reads
// has a line for each.
class BoundSockets {
public:
    BoundSockets(const std::string& folder, int count) {
        for (int i = 0; i < count; ++i) {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            const std::string path = folder + "/" + std::to_string(i);
            path.copy(address.sun_path, sizeof address.sun_path - 1);
            fds_.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
            ::bind(fds_.back(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
            paths_.push_back(path);
        }
    }
    ~BoundSockets() {
        for (const int fd : fds_) ::close(fd);
        for (const std::string& path : paths_) ::unlink(path.c_str());
    }
    BoundSockets(const BoundSockets&) = delete;
    BoundSockets& operator=(const BoundSockets&) = delete;

private:
    std::vector<int> fds_;
    std::vector<std::string> paths_;
};

// One look at a killed server's socket file (the watch's clock moved half a second each ask, so that
// each ask looks), with this many other Unix sockets on the machine (a desktop holds a thousand or two),
// the kernel asked by its socket diagnostics (0) or its listing (1): what it costs twice a second.
void BM_JackServerWatchLookAtAKilledServersSocket(benchmark::State& state) {
    const std::string server = "pulvan-bench-" + std::to_string(::getpid());
    ::setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    const std::string socket = "/dev/shm/jack_" + server + "_" + std::to_string(::geteuid()) + "_0";
    char folder[] = "/tmp/pulvan-bench-XXXXXX";
    ::mkdtemp(folder);
    {
        BoundSockets others(folder, static_cast<int>(state.range(0)));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        socket.copy(address.sun_path, sizeof address.sun_path - 1);
        const int left = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ::bind(left, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::close(left);  // its file stays, as a killed server's does
        std::chrono::steady_clock::time_point now{};
        JackServerWatch watch([&] { return now; }, static_cast<JackServerWatch::Kernel>(state.range(1)));
        for (auto _ : state) {
            now += std::chrono::milliseconds(500);
            benchmark::DoNotOptimize(watch.listening());
        }
        ::unlink(socket.c_str());
    }
    ::rmdir(folder);
    ::unsetenv("JACK_DEFAULT_SERVER");
}
BENCHMARK(BM_JackServerWatchLookAtAKilledServersSocket)->ArgsProduct({{0, 2000}, {0, 1}});

}  // namespace
}  // namespace pulvan::midi
