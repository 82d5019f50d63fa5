#pragma once
#include "platform/midi/backend.h"

#include <memory>

namespace pulvan::midi {

// MIDI through the ALSA sequencer, one sequencer client for each port we open;
// null when the machine has no sequencer.
std::shared_ptr<Backend> makeAlsaBackend();

}  // namespace pulvan::midi
