#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

typedef struct _jack_client jack_client_t;

namespace pulvan::midi {

// Whether a JACK server runs; asks without starting one.
bool jackServerRunning();

// Looks at the JACK server's ports through a client that never joins the
// process graph, so looking costs the real-time cycle nothing.
class JackPortLookup {
public:
    JackPortLookup();
    ~JackPortLookup();
    JackPortLookup(const JackPortLookup&) = delete;
    JackPortLookup& operator=(const JackPortLookup&) = delete;

    // Full names of the MIDI ports that send (sources) or receive (destinations).
    std::vector<std::string> midiPorts(bool sources);

    // Tells ports apart that share a name: a program that quit and started
    // again registers its port anew, and connections to the old one are gone.
    // The identifier of the port registered under `fullName` now; 0 when there is none.
    std::uint64_t portIdentity(const std::string& fullName);

private:
    std::mutex mutex_;
    jack_client_t* client_;
};

}  // namespace pulvan::midi
