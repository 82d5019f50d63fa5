#pragma once
#include "platform/midi/backend.h"

#include <memory>

namespace pulvan::midi {

// The machine's MIDI system: JACK when a server answers, else the ALSA
// sequencer. While there is neither it looks again twice a second, so a
// server that starts later is found; once chosen, the choice stays.
std::shared_ptr<Backend> makeSystemBackend();

}  // namespace pulvan::midi
