#pragma once
#include "platform/midi/midi_types.h"
#include "platform/midi/sounding_notes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace pulvan::midi {

// Called off any real-time thread for every message a source delivers.
using ReceiveFunction = std::function<void(std::span<const std::uint8_t> bytes, Timestamp receivedAt)>;
// Called off any real-time thread when messages reached the port faster than they were read and some
// were dropped: the notes held at the port after exactly the messages received before it and those
// dropped, which the messages received no longer tell. A message received after it is not in it, so
// whoever counts note-ons counts each message once.
using HeldNotesFunction = std::function<void(const NoteSet& held)>;

// One port of ours that sends, on one client of ours. The MIDI system itself
// delivers each message at its timestamp.
class OutputConnection {
public:
    // Ends every note it left sounding first (see silence), waiting a little for that to leave.
    virtual ~OutputConnection() = default;
    // False once the MIDI system has gone away under it (a JACK server that quit).
    virtual bool alive() const = 0;
    // Connects to the destination (and to no other) unless already connected to
    // that same port; false when it is gone. A virtual source connects to nothing.
    // May ask the MIDI system's server, and returns once what is sent next reaches
    // the destination (or after a while): not for a real-time thread.
    virtual bool connect(const std::string& destinationAddress) = 0;
    // Queues one message of 1 to 3 bytes for delivery at `deliverAt`; false when dropped.
    virtual bool send(std::span<const std::uint8_t> bytes, Timestamp deliverAt) = 0;
    // Drops every message not delivered yet and ends at once every note that the
    // delivered ones left sounding. Messages sent afterwards are kept.
    virtual void silence() = 0;
    // The length of the cycles in which a cycle-driven system (JACK) writes what it is given, as the
    // last cycle ran: a message reaches its own cycle only when given before that cycle begins. 0 for
    // a system that delivers at any time. Real-time safe.
    virtual std::int64_t periodNanoseconds() const noexcept { return 0; }
};

// One port of ours that receives, on one client of ours, from every source connected to it.
class InputConnection {
public:
    // Once it returns, the receive function is not running and never runs again.
    virtual ~InputConnection() = default;
    virtual bool alive() const = 0;
    // Connecting twice is harmless; false when the source cannot be reached.
    virtual bool connect(const std::string& sourceAddress) = 0;
    virtual void disconnect(const std::string& sourceAddress) = 0;
};

// The MIDI system endpoints live in. Every call may come from any thread.
class Backend {
public:
    virtual ~Backend() = default;
    // Other programs' endpoints and the shared virtual source; never a port of ours.
    virtual std::vector<Endpoint> sources() = 0;
    virtual std::vector<Endpoint> destinations() = 0;
    // Each opens one client with one port; null when the MIDI system refuses or there is none.
    virtual std::unique_ptr<OutputConnection> openOutput(const std::string& clientName, const std::string& portName) = 0;
    // A system that never drops what reaches the port, or cannot tell what it dropped (the ALSA
    // sequencer's own queue), never calls `heldNotesAfterLoss`.
    virtual std::unique_ptr<InputConnection> openInput(const std::string& clientName, const std::string& portName, ReceiveFunction receive,
                                                       HeldNotesFunction heldNotesAfterLoss) = 0;
    // A source others connect to, sending to all of them.
    virtual std::unique_ptr<OutputConnection> openVirtualSource(const std::string& name) = 0;
    // Closes the clients it keeps open for itself (to look at the setup), as the module is left; it
    // opens them again when next asked.
    virtual void closeOwnClients() {}
    // Changes when endpoints come or go, for a system that learns of them as they happen;
    // one whose changes only the setup watch finds (see Client) keeps it at 0. Real-time safe.
    virtual std::uint64_t setupGeneration() const noexcept { return 0; }
};

// The backend new clients, ports and virtual sources use: the one installed by
// a ScopedBackend, else the machine's (JACK when a server answers, else the ALSA sequencer, else none).
std::shared_ptr<Backend> activeBackend();

// Closes the clients the machine's MIDI system keeps for itself and lets go of it; the next
// activeBackend() chooses anew.
void forgetMachineBackend();

// Installs a backend for the lifetime of this object (tests use the loopback).
// Objects made while it is installed keep using it after it goes.
class ScopedBackend {
public:
    explicit ScopedBackend(std::shared_ptr<Backend> backend);
    ~ScopedBackend();
    ScopedBackend(const ScopedBackend&) = delete;
    ScopedBackend& operator=(const ScopedBackend&) = delete;

private:
    std::shared_ptr<Backend> previous_;
};

}  // namespace pulvan::midi
