#pragma once
#include <cstdint>

namespace pulvan::au {

// One recorded MIDI message.
struct MIDIRecordEvent {
    double time;  // quarter notes on the host's beat axis
    std::uint8_t track;
    std::uint8_t status;
    std::uint8_t data1;
    std::uint8_t data2;
};

}  // namespace pulvan::au
