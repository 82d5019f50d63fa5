#pragma once
#include "platform/midi/client.h"
#include "platform/midi/midi_types.h"

#include <cstdint>
#include <optional>
#include <span>

namespace pulvan::link {

// Sends the standalone application's MIDI to one destination, chosen anew for every
// message so that a destination added or removed counts from the next message on.
// Safe to use from several threads: the port only queues onto the MIDI layer's thread.
class StandaloneMIDISender {
public:
    static constexpr const char* kClientName = "PulvanStandaloneMIDIClient";
    static constexpr const char* kPortName = "PulvanStandaloneMIDIPort";

    StandaloneMIDISender();

    // One three-byte message, now.
    void send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

    // One message of 1 to 3 bytes, delivered at `deliverAt`; false when it is dropped
    // (wrong length, or no destination).
    bool sendMessage(std::span<const std::uint8_t> bytes, midi::Timestamp deliverAt);

    std::optional<midi::Endpoint> resolveDestination() const;

private:
    midi::Client client_;
    midi::OutputPort outputPort_;
};

}  // namespace pulvan::link
