#pragma once
#include <memory>

#include "platform/midi/backend.h"

namespace pulvan::midi {

// The machine's MIDI system through RtMidi: the ALSA sequencer when
// /dev/snd/seq works, else a running JACK server, else none (every list is
// empty and every open fails quietly; the choice is made again after a while).
// Ports of our own senders and receivers are not listed: other programs'
// endpoints are what callers choose from.
std::shared_ptr<Backend> makeRtMidiBackend();

}  // namespace pulvan::midi
