#include "platform/midi/jack_server_watch.h"

#include "platform/midi/jack_library.h"

#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace pulvan::midi {
namespace {

// Where jack2's server listens on Linux, whatever the environment says.
constexpr char kServerFolder[] = "/dev/shm";

// jack2's rules: the server's name from JACK_DEFAULT_SERVER (else "default") with slashes
// made underscores, then the effective user's id unless the server serves every user.
std::string socketName() {
    const char* server = std::getenv("JACK_DEFAULT_SERVER");
    std::string name = "jack_";
    for (const char c : std::string_view(server ? server : "default")) name += c == '/' || c == '\\' ? '_' : c;
    if (!std::getenv("JACK_PROMISCUOUS_SERVER")) {
        name += '_';
        name += std::to_string(::geteuid());
    }
    name += "_0";
    return name;
}

// Whether something listens at `path`. Never waits: a server too busy to take the
// connection (its backlog full) is there all the same.
bool listening(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::copy(path.begin(), path.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 || errno == EAGAIN;
    ::close(fd);
    return answers;
}

// Whether the server's socket file is there, kept from the folder's changes as they are read:
// a look at the file only when one names it (or too many came to tell).
class SocketFileWatch {
public:
    SocketFileWatch() : inotify_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (inotify_ >= 0 && ::inotify_add_watch(inotify_, kServerFolder, IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO) < 0) {
            ::close(inotify_);
            inotify_ = -1;
        }
    }

    // The path of the socket, while its file is there.
    std::optional<std::string> socket() {
        std::lock_guard lock(mutex_);
        const std::string name = socketName();
        bool look = inotify_ < 0 || name != name_;  // without a watch, every time
        name_ = name;
        look = changesNamed(name) || look;
        const std::string path = std::string(kServerFolder) + "/" + name;
        if (look) present_ = ::access(path.c_str(), F_OK) == 0;
        return present_ ? std::optional(path) : std::nullopt;
    }

private:
    // Reads every change so far; whether one was to `name`.
    bool changesNamed(const std::string& name) {
        if (inotify_ < 0) return false;
        bool named = false;
        alignas(inotify_event) char buffer[4096];
        ssize_t length = 0;
        while ((length = ::read(inotify_, buffer, sizeof buffer)) > 0) {
            for (char* at = buffer; at < buffer + length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                named = named || (event->mask & IN_Q_OVERFLOW) || (event->len > 0 && name == event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return named;
    }

    std::mutex mutex_;
    int inotify_;
    std::string name_;      // guarded by mutex_: the socket's name when last asked
    bool present_ = false;  // guarded by mutex_
};

}  // namespace

bool jackServerMayAnswer() {
    if (!jackLibraryPresent()) return false;
    if (!jackLibraryIsJack2()) return true;
    static auto* watch = new SocketFileWatch;  // never destroyed: clients may be opened from exit handlers
    const std::optional<std::string> socket = watch->socket();
    return socket && listening(*socket);
}

}  // namespace pulvan::midi
