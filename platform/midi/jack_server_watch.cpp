#include "platform/midi/jack_server_watch.h"

#include "platform/midi/jack_library.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <netinet/tcp.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdint>
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

// Set in a Unix socket's flags in /proc/net/unix while it listens (__SO_ACCEPTCON).
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

// Whether a socket bound to the file `device`/`inode` listens, from the kernel's socket diagnostics;
// nothing where it has none for Unix sockets (no unix_diag, or a sandbox that forbids asking).
std::optional<bool> diagnosedListening(dev_t device, ino_t inode) {
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (fd < 0) return std::nullopt;
    struct {
        nlmsghdr header;
        unix_diag_req request;
    } ask{};
    ask.header.nlmsg_len = sizeof ask;
    ask.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    ask.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    ask.request.sdiag_family = AF_UNIX;
    ask.request.udiag_states = 1u << TCP_LISTEN;
    ask.request.udiag_show = UDIAG_SHOW_VFS;
    // The kernel gives a device as its own dev_t, and an inode in 32 bits.
    const std::uint32_t kernelDevice = (major(device) << 20) | minor(device);
    std::optional<bool> listens;
    bool failed = ::send(fd, &ask, sizeof ask, 0) != static_cast<ssize_t>(sizeof ask);
    alignas(nlmsghdr) char buffer[8192];
    while (!listens && !failed) {
        // Never waits: the kernel writes each part of its answer before the call that asks for it returns.
        int length = static_cast<int>(::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT));
        failed = length <= 0;
        for (auto* header = reinterpret_cast<nlmsghdr*>(buffer); !listens && !failed && NLMSG_OK(header, length);
             header = NLMSG_NEXT(header, length)) {
            failed = header->nlmsg_type == NLMSG_ERROR;
            if (header->nlmsg_type == NLMSG_DONE) listens = false;
            if (header->nlmsg_type != SOCK_DIAG_BY_FAMILY) continue;
            auto* socket = static_cast<unix_diag_msg*>(NLMSG_DATA(header));
            int rest = static_cast<int>(header->nlmsg_len - NLMSG_LENGTH(sizeof *socket));
            for (auto* attribute = reinterpret_cast<rtattr*>(socket + 1); RTA_OK(attribute, rest); attribute = RTA_NEXT(attribute, rest)) {
                const auto* file = static_cast<const unix_diag_vfs*>(RTA_DATA(attribute));
                if (attribute->rta_type == UNIX_DIAG_VFS && file->udiag_vfs_dev == kernelDevice &&
                    file->udiag_vfs_ino == static_cast<std::uint32_t>(inode)) {
                    listens = true;
                }
            }
        }
    }
    ::close(fd);
    return failed ? std::nullopt : listens;
}

// Whether a socket listens at `path`, from /proc/net/unix. A line there is
// "Num: RefCount Protocol Flags Type St Inode Path", the path as bound, spaces and all
// (an abstract name starts with '@').
bool listedListening(const std::string& path) {
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

JackServerWatch::JackServerWatch(Clock now, Kernel kernel)
    : now_(std::move(now)),
      kernel_(kernel),
      inotify_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
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
    std::optional<bool> listens;
    if (kernel_ == Kernel::diagnostics) listens = diagnosedListening(file_->first, file_->second);
    if (!listens) listens = listedListening(socketPath(name));
    if (*listens) {
        silentSince_.reset();
    } else {
        silentSince_ = time;
    }
    return *listens;
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
