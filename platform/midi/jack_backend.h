#pragma once
#include "platform/midi/backend.h"

#include <memory>

namespace pulvan::midi {

// MIDI through a JACK server, one JACK client for each port we open.
std::shared_ptr<Backend> makeJackBackend();

}  // namespace pulvan::midi
