#include "audiounit/midi_ring_messages.h"

#include <cstring>

namespace pulvan::au {

bool pushMIDIMessage(TPCircularBuffer& ring, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept {
    std::uint32_t space = 0;
    std::uint8_t* at = ringWritePosition(ring, &space);
    if (!at || space < kMIDIMessageBytes) return false;
    at[0] = status;
    at[1] = data1;
    at[2] = data2;
    ringProduce(ring, kMIDIMessageBytes);
    return true;
}

bool popMIDIMessage(TPCircularBuffer& ring, std::uint8_t (&message)[kMIDIMessageBytes]) noexcept {
    std::uint32_t available = 0;
    const std::uint8_t* at = ringReadPosition(ring, &available);
    if (!at || available < kMIDIMessageBytes) return false;
    std::memcpy(message, at, kMIDIMessageBytes);
    ringConsume(ring, kMIDIMessageBytes);
    return true;
}

}  // namespace pulvan::au
