#include "platform/midi/jack_ports.h"

#include <jack/jack.h>

#include "platform/midi/jack_library.h"

#include <functional>
#include <string_view>

namespace pulvan::midi {
namespace {

void ignoreJackMessage(const char*) {}

// Opens a client without libjack's complaints on stderr when there is no server.
jack_client_t* openQuietJackClient(const char* name) {
    // Give the host process its own message handlers back afterwards.
    const JackMessageHandlers previous = jackMessageHandlers();
    jack_set_error_function(ignoreJackMessage);
    jack_set_info_function(ignoreJackMessage);
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name, JackNoStartServer, &status);
    setJackMessageHandlers(previous);
    return client;
}

}  // namespace

bool jackServerRunning() {
    jack_client_t* client = openQuietJackClient("PulvanMIDIProbe");
    if (client) jack_client_close(client);
    return client != nullptr;
}

JackPortLookup::JackPortLookup() : client_(openQuietJackClient("PulvanMIDIPorts")) {}

JackPortLookup::~JackPortLookup() {
    if (client_) jack_client_close(client_);
}

std::vector<std::string> JackPortLookup::midiPorts(bool sources) {
    std::vector<std::string> names;
    std::lock_guard lock(mutex_);
    if (!client_) return names;
    const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, sources ? JackPortIsOutput : JackPortIsInput);
    if (!ports) return names;
    for (const char** port = ports; *port; ++port) names.emplace_back(*port);
    jack_free(ports);
    return names;
}

std::uint64_t JackPortLookup::portIdentity(const std::string& fullName) {
    std::lock_guard lock(mutex_);
    if (!client_) return 0;
    jack_port_t* port = jack_port_by_name(client_, fullName.c_str());
    if (!port) return 0;
    // Port identifiers are reused, so the owning client's, which are not, go into it too.
    std::uint64_t identity = jack_port_uuid(port);
    const std::string clientName = fullName.substr(0, fullName.find(':'));
    if (char* clientUuid = jack_get_uuid_for_client_name(client_, clientName.c_str())) {
        identity ^= std::hash<std::string_view>{}(clientUuid) << 1;
        jack_free(clientUuid);
    }
    return identity == 0 ? 1 : identity;
}

}  // namespace pulvan::midi
