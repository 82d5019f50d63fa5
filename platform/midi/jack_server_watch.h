#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace pulvan::midi {

// Whether a JACK server may take a client now, learnt without opening one where that costs.
// jack2's libjack starts a thread at every jack_client_open and gives the thread a second to run;
// on a busy machine it gives up, frees what the late thread then reads, and the whole process dies.
// So with jack2's libjack no client is opened unless the server's socket is there and listens
// (JackServerWatch). Other libjacks (PipeWire's) have no such thread and answer for themselves.
bool jackServerMayAnswer();

// Whether jack2's server listens on its socket, learnt without libjack and without connecting to it:
// the socket's folder is watched (inotify), and while the socket's file is there the kernel tells
// whether a socket bound to it listens. A connection would not do: the server takes one for a
// client, and a killed server's file takes none, so each look would be a failed connect.
class JackServerWatch {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // How the kernel is asked: by its socket diagnostics, which list the listening sockets alone with
    // the files they are bound to (else, where it offers none for Unix sockets, as by `listing`); or
    // from its listing of every Unix socket and its path, /proc/net/unix, which costs more to read.
    enum class Kernel { diagnostics, listing };

    explicit JackServerWatch(Clock now = std::chrono::steady_clock::now, Kernel kernel = Kernel::diagnostics);
    ~JackServerWatch();
    JackServerWatch(const JackServerWatch&) = delete;
    JackServerWatch& operator=(const JackServerWatch&) = delete;

    // For the server that JACK_DEFAULT_SERVER and JACK_PROMISCUOUS_SERVER name now.
    bool listening();

private:
    // Keeps file_ from the folder's changes since last asked; whether it is another file than at the
    // last look (or none), whose answer then no longer holds.
    bool fileChanged(const std::string& name);
    bool changesNamed(const std::string& name);

    Clock now_;
    Kernel kernel_;
    std::mutex mutex_;
    int inotify_;
    // Guarded by mutex_: the socket's name when last asked, its file (device and inode) while there,
    // and when it was last seen not listening.
    std::string name_;
    std::optional<std::pair<dev_t, ino_t>> file_;
    std::optional<std::chrono::steady_clock::time_point> silentSince_;
};

}  // namespace pulvan::midi
