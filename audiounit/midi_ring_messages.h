#pragma once
#include "platform/audiounit/mirrored_ring.h"

#include <cstdint>

namespace pulvan::au {

// Three-byte MIDI messages (status, data1, data2) over a mirrored ring: a message is never split,
// even across the wrap.
inline constexpr std::uint32_t kMIDIMessageBytes = 3;

// Producer: false (and nothing written) when fewer than three bytes are free.
bool pushMIDIMessage(TPCircularBuffer& ring, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept;

// Consumer: false when no whole message is waiting.
bool popMIDIMessage(TPCircularBuffer& ring, std::uint8_t (&message)[kMIDIMessageBytes]) noexcept;

}  // namespace pulvan::au
