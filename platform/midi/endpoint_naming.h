#pragma once
#include "platform/midi/midi_types.h"

#include <string>
#include <string_view>

namespace pulvan::midi {

// The program and port parts of a port's full name.
struct PortIdentity {
    std::string clientName;
    std::string portName;
};

// Splits a JACK port name ("client:port"; a duplicate client that JACK renamed
// to "client-01" counts as "client") or an ALSA one ("client:port 128:0").
PortIdentity jackPortIdentity(std::string_view fullName);
PortIdentity alsaPortIdentity(std::string_view fullName);

// The endpoint seen at `address`. Its identifier is a hash of the address,
// except for the shared virtual source, which carries its fixed identifier in
// every process, as other programs recognise it by that.
Endpoint makeEndpoint(std::string address, const PortIdentity& identity);

}  // namespace pulvan::midi
