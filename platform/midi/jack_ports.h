#pragma once
#include <jack/types.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace pulvan::midi {

// One JACK client of ours, opened and closed without libjack's complaints on
// stderr. Every libjack call on it from our own threads goes through use(), one
// at a time. When its server goes away libjack would delete it under us at the
// next opening of any client, so the next opening closes it first, but never
// while a call on it is under way: until it can, nothing opens. All our clients
// share one server: when one learns that it went, every one opened before is gone.
class JackClient {
public:
    // Null when no server answers. After an opening that found none, none is tried for a while
    // (where the server cannot be looked for otherwise).
    static std::unique_ptr<JackClient> open(const std::string& name);
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    // Whether the server dropped it, or went. Real-time safe.
    bool gone() const { return gone_.load(std::memory_order_acquire) || serverLosses().load(std::memory_order_acquire) != lossesAtOpen_; }

    // Runs `call(client)` unless the client is closed; whether it ran.
    template <typename Call>
    bool use(Call&& call) {
        std::lock_guard lock(mutex_);
        if (!client_) return false;
        call(client_);
        return true;
    }

    // Lets the server run it, once every client of ours heard that it joined, unless its wake-up
    // is not its own (see activate's definition); set its process callback first, if any. Whether
    // the server took it.
    bool activate();

    // For libjack's own threads (process callbacks), which closing stops first.
    jack_client_t* raw() const { return raw_; }

private:
    explicit JackClient(jack_client_t* client);
    // How many times a client of ours learnt that its server went.
    static std::atomic<std::uint64_t>& serverLosses();
    static void onInfoShutdown(jack_status_t, const char*, void* self);
    static void onShutdown(void* self);
    static void onRegistration(const char* name, int joined, void* self);
    // Closes the clients whose server went away that nobody is using; false
    // while one is in use. The caller holds the library's lock.
    static bool closeGoneLocked();
    // Whether every other active client of ours heard that `name` joined. The caller holds the library's lock.
    static bool heardByOthersLocked(const JackClient& self, const std::string& name);

    std::mutex mutex_;
    jack_client_t* client_;  // guarded by mutex_; null once closed
    jack_client_t* const raw_;
    const std::uint64_t lossesAtOpen_;
    // What libjack's shutdown callbacks reach: flags alone, as libjack may cancel them anywhere.
    std::atomic<bool> gone_{false};
    bool active_ = false;  // under the library's lock
    // The last few clients that joined the server, as its news reached this client.
    std::mutex joinedMutex_;
    std::array<std::string, 8> joined_;  // guarded by joinedMutex_
    std::size_t nextJoined_ = 0;         // guarded by joinedMutex_
};

// Our monotonic clock minus JACK's, in nanoseconds (they count from different
// origins). Read in a few tries and kept from the one least interrupted, as a
// thread that is preempted between the two readings would be off by that long.
// Real-time safe.
std::int64_t jackClockOffsetNanoseconds() noexcept;

// Looks at the JACK server's ports through a client that never joins the
// process graph (active, without a process callback: some libjacks tell only
// active clients that their server went). It reads what libjack keeps of the server's graph in this
// process and never asks the server. When the server goes away it answers with
// nothing and looks for a server again now and then.
class JackPortLookup {
public:
    JackPortLookup() = default;
    JackPortLookup(const JackPortLookup&) = delete;
    JackPortLookup& operator=(const JackPortLookup&) = delete;

    // Whether its client is open on a server that has not gone, opening it when due.
    bool open();

    // Full names of the MIDI ports that send (sources) or receive (destinations).
    std::vector<std::string> midiPorts(bool sources);

    // Those of the named JACK clients that this process opened (a plug-in's
    // host): the server says so where it can, else our own sockets to the
    // server do, which carry their clients' names.
    std::set<std::string> clientsInThisProcess(const std::set<std::string>& clientNames);

private:
    bool openLocked();

    std::mutex mutex_;
    std::unique_ptr<JackClient> client_;  // guarded by mutex_
    std::chrono::steady_clock::time_point nextAttempt_{};
};

}  // namespace pulvan::midi
