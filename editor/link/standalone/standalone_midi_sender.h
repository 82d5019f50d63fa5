#pragma once
#include "platform/midi/backend.h"
#include "platform/midi/client.h"
#include "platform/midi/midi_types.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

namespace pulvan::link {

// Sends the standalone application's MIDI to one destination, chosen anew whenever the
// MIDI setup changes (as the MIDI layer learns of it) so that a destination added or
// removed counts from then on. Sending asks the MIDI system nothing: the render thread
// may send. Safe to use from several threads. Timestamped messages are delivered on
// time by the MIDI system itself; when the sender goes, every note it left sounding is
// ended first.
class StandaloneMIDISender {
public:
    static constexpr const char* kClientName = "PulvanStandaloneMIDIClient";
    static constexpr const char* kPortName = "PulvanStandaloneMIDIPort";

    // Opens the client and the port and connects them to the chosen destination.
    StandaloneMIDISender();
    // Opens nothing and drops every message: a plug-in's MIDI leaves through its host only.
    struct Closed {};
    static constexpr Closed closed{};
    explicit StandaloneMIDISender(Closed);

    // One three-byte message, now.
    void send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

    // One message of 1 to 3 bytes, delivered at `deliverAt`; false when it is dropped
    // (wrong length, or no destination). It never waits on the MIDI system, except on a
    // system that counts its setup changes (the in-process one of the tests), where the
    // first message after a change chooses the destination again first.
    bool sendMessage(std::span<const std::uint8_t> bytes, midi::Timestamp deliverAt);

    std::optional<midi::Endpoint> resolveDestination() const;

    // Drops what has not left yet and ends at once every note that sounded.
    void silence() {
        if (outputPort_) outputPort_->silence();
    }

    // The length of the cycles the output writes in, as they are now: a message sent less than that
    // ahead of its time may leave late. 0 when it delivers at any time. Real-time safe.
    std::int64_t outputPeriodNanoseconds() const { return outputPort_ ? outputPort_->periodNanoseconds() : 0; }

private:
    // Chooses and connects: on the layer's thread at every change of the setup, and at a
    // send only after a MIDI system that counts its changes itself (setupGeneration) made
    // one. A connection takes effect a cycle or so after it is made: made ahead, the first
    // note is not lost.
    void connectDestination();

    // All empty when closed.
    std::shared_ptr<midi::Backend> backend_;
    std::mutex choiceMutex_;
    std::atomic<std::uint64_t> choiceGeneration_{0};
    std::atomic<bool> connected_{false};
    std::optional<midi::Client> client_;
    std::optional<midi::OutputPort> outputPort_;
    // Last: it calls on the port, so it comes after it and goes before it.
    std::unique_ptr<midi::Client> setupWatch_;
};

}  // namespace pulvan::link
