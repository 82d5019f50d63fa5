#include "platform/midi/jack_server_watch.h"

#include "platform/midi/jack_library.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace pulvan::midi {
namespace {

// Where jack2's server listens on Linux, whatever the environment says.
constexpr char kServerFolder[] = "/dev/shm";

// How long a socket seen not listening is taken for silent: a killed server's file may stay for
// good, and callers ask several times a second. A new file is looked at at once.
constexpr auto kSilentFor = std::chrono::milliseconds(500);

// Set in a Unix socket's flags in the kernel's table while it listens (__SO_ACCEPTCON).
constexpr unsigned kAcceptsConnections = 0x10000;

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

std::string socketPath(const std::string& name) { return std::string(kServerFolder) + "/" + name; }

// Whether a socket listens at `path`, from /proc/net/unix. A line there is
// "Num: RefCount Protocol Flags Type St Inode Path", the path as bound, spaces and all
// (an abstract name starts with '@').
bool listensAt(const std::string& path) {
    std::ifstream table("/proc/net/unix");
    std::string line;
    while (std::getline(table, line)) {
        unsigned flags = 0;
        int pathStart = -1;
        if (std::sscanf(line.c_str(), "%*s %*x %*x %x %*x %*x %*u %n", &flags, &pathStart) != 1 || pathStart < 0) continue;
        if ((flags & kAcceptsConnections) && std::string_view(line).substr(static_cast<std::size_t>(pathStart)) == path) return true;
    }
    return false;
}

}  // namespace

JackServerWatch::JackServerWatch(Clock now) : now_(std::move(now)), inotify_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (inotify_ >= 0 && ::inotify_add_watch(inotify_, kServerFolder, IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO) < 0) {
        ::close(inotify_);
        inotify_ = -1;
    }
}

JackServerWatch::~JackServerWatch() {
    if (inotify_ >= 0) ::close(inotify_);
}

bool JackServerWatch::listening() {
    std::lock_guard lock(mutex_);
    const std::string name = socketName();
    if (fileChanged(name)) silentSince_.reset();
    if (!file_) return false;
    const auto time = now_();
    if (silentSince_ && time - *silentSince_ < kSilentFor) return false;
    // A listening server is not taken on trust for a while: it may have been killed since, and
    // each yes is followed by opening a client, which costs far more than this look.
    const bool listens = listensAt(socketPath(name));
    if (listens) {
        silentSince_.reset();
    } else {
        silentSince_ = time;
    }
    return listens;
}

bool JackServerWatch::fileChanged(const std::string& name) {
    const bool renamed = name != name_;
    name_ = name;
    const bool named = changesNamed(name);
    if (inotify_ >= 0 && !renamed && !named) return false;  // without a watch, a look every time
    std::optional<std::pair<dev_t, ino_t>> file;
    struct stat status {};
    if (::stat(socketPath(name).c_str(), &status) == 0) file.emplace(status.st_dev, status.st_ino);
    const bool changed = renamed || named || file != file_;
    file_ = file;
    return changed;
}

// Reads every change so far; whether one was to `name` (or too many came to tell).
bool JackServerWatch::changesNamed(const std::string& name) {
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

bool jackServerMayAnswer() {
    if (!jackLibraryPresent()) return false;
    if (!jackLibraryIsJack2()) return true;
    static auto* watch = new JackServerWatch;  // never destroyed: clients may be opened from exit handlers
    return watch->listening();
}

}  // namespace pulvan::midi
