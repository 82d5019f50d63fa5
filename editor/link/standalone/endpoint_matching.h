#pragma once
#include "platform/midi/midi_types.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pulvan::link {

// The name the standalone sender and receiver go by: the display name, else the port's name, else "".
std::string endpointName(const midi::Endpoint& endpoint);

// Whether `text` contains `part`, ignoring case (Unicode case folding).
bool containsIgnoringCase(std::string_view text, std::string_view part);

// The destination the standalone output goes to: the first, in order, whose name contains
// "Session 1" ignoring case, else the first valid one; none when there is no valid destination.
// Pulvan's own input ports are passed over.
std::optional<midi::Endpoint> chooseDestination(const std::vector<midi::Endpoint>& destinations);

// A port that Pulvan plays through, of this instance or any other: the plug-in's virtual source
// (recognised by its identifier or else by its name), or the application's sending port (named
// alike on every MIDI system, whatever suffix the system adds to a second client's name). Two
// instances side by side would otherwise take each other's notes as a keyboard's.
bool isPulvanSource(const midi::Endpoint& source);
// The port through which an instance of Pulvan listens, for the same reason.
bool isPulvanInput(const midi::Endpoint& destination);

}  // namespace pulvan::link
