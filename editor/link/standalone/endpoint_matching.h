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
std::optional<midi::Endpoint> chooseDestination(const std::vector<midi::Endpoint>& destinations);

// The plug-in's own virtual source, recognised by its identifier or else by its name,
// so that its output never comes back in as input.
bool isOwnVirtualSource(const midi::Endpoint& source);

}  // namespace pulvan::link
