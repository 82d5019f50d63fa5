#pragma once
#include "platform/midi/backend.h"

#include <memory>

namespace pulvan::midi {

// MIDI through a JACK server, one JACK client for each port we open.
std::shared_ptr<Backend> makeJackBackend();
// The same, once a JACK server answers the client it keeps to look at the server's ports; else null.
std::shared_ptr<Backend> openJackBackend();

}  // namespace pulvan::midi
