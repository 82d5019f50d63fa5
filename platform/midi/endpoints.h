#pragma once
#include "platform/midi/midi_types.h"

#include <vector>

namespace pulvan::midi {

// The sources and destinations of the MIDI system, in its order. Our own
// ports are not among them; the shared virtual source is.
std::vector<Endpoint> sources();
std::vector<Endpoint> destinations();

}  // namespace pulvan::midi
