#pragma once
#include <jack/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace pulvan::midi {

// Opens and closes a client without libjack's complaints on stderr (there is
// no server, or it just went away); null when no server answers.
jack_client_t* openQuietJackClient(const std::string& name);
void closeQuietJackClient(jack_client_t* client);
// Called by a client's shutdown callback: the client is closed at the next
// chance and no client opens again until a server answers.
void noteJackClientGone(jack_client_t* client);

// Our monotonic clock minus JACK's, in nanoseconds (they count from different
// origins). Read in a few tries and kept from the one least interrupted, as a
// thread that is preempted between the two readings would be off by that long.
// Real-time safe.
std::int64_t jackClockOffsetNanoseconds() noexcept;

// Whether a JACK server answers; asks without starting one.
bool jackServerRunning();

// Looks at the JACK server's ports through a client that never joins the
// process graph, so looking costs the real-time cycle nothing. When the server
// goes away it answers with nothing and looks for a server again now and then.
class JackPortLookup {
public:
    JackPortLookup() = default;
    ~JackPortLookup();
    JackPortLookup(const JackPortLookup&) = delete;
    JackPortLookup& operator=(const JackPortLookup&) = delete;

    // Full names of the MIDI ports that send (sources) or receive (destinations).
    std::vector<std::string> midiPorts(bool sources);

    // Tells ports apart that share a name: a program that quit and started
    // again registers its port anew, and connections to the old one are gone.
    // The identifier of the port registered under `fullName` now; 0 when there is none.
    std::uint64_t portIdentity(const std::string& fullName);

    // Those of the named JACK clients that this process opened (a plug-in's
    // host): the server says so where it can, else our own sockets to the
    // server do, which carry their clients' names.
    std::set<std::string> clientsInThisProcess(const std::set<std::string>& clientNames);

private:
    static void onShutdown(jack_status_t, const char*, void* self);
    jack_client_t* clientLocked();

    std::mutex mutex_;
    jack_client_t* client_ = nullptr;
    std::atomic<bool> serverGone_{false};
    std::chrono::steady_clock::time_point nextAttempt_{};
};

}  // namespace pulvan::midi
