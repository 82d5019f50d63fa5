#pragma once
#include "platform/midi/callback_slot.h"
#include "platform/midi/midi_types.h"
#include "platform/midi/sounding_notes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <span>
#include <string>

namespace pulvan::midi {

class Backend;
class Dispatcher;
class InputConnection;
class OutputConnection;

// A program's name in the MIDI system and its watch on the MIDI setup. Each
// port made on it is one client of the MIDI system under this name, with that
// one port. Creating one never fails; without a MIDI system its ports simply
// reach nothing until one appears.
class Client {
public:
    // `onSetupChanged` runs on the MIDI layer's thread whenever sources or
    // destinations appear, disappear or are renamed.
    explicit Client(std::string name, std::function<void()> onSetupChanged = {});
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    const std::string& name() const { return name_; }

private:
    friend class OutputPort;
    friend class InputPort;

    std::string name_;
    std::shared_ptr<Backend> backend_;
    std::shared_ptr<Dispatcher> dispatcher_;
    std::shared_ptr<CallbackSlot<>> setupSlot_;
};

// Sends to one destination at a time, now or at a timestamp; the MIDI system
// delivers each message at its time. Messages leave in timestamp order;
// messages with the same timestamp leave in the order they were sent. When the
// MIDI system goes away and comes back (a JACK server restarting, or dropping
// a program that stalled), the port comes back by itself on the layer's
// thread and connects again to the destination it last connected to.
class OutputPort {
public:
    OutputPort(const Client& client, std::string name);
    // Ends every note its messages left sounding before the port goes.
    ~OutputPort();
    OutputPort(const OutputPort&) = delete;
    OutputPort& operator=(const OutputPort&) = delete;

    const std::string& name() const { return name_; }

    // Queues one message of 1 to 3 bytes for `destination`, connecting to it first
    // when the port is not. False when it is dropped: a wrong length, no MIDI
    // system, or a destination that is gone.
    bool send(const Endpoint& destination, std::span<const std::uint8_t> bytes, Timestamp deliverAt = kSendNow);

    // Queues one message of 1 to 3 bytes for the destination the port is connected
    // to. It asks the MIDI system nothing, and waits for no other thread: for the
    // real-time thread. False when it is dropped: a wrong length, no connection.
    bool sendToConnected(std::span<const std::uint8_t> bytes, Timestamp deliverAt = kSendNow) noexcept;

    // Connects to `destination` (and to no other), which later messages then find
    // in place. False when it is gone; one that is there but refuses for now is
    // connected to, on the layer's thread, once it accepts.
    bool connect(const Endpoint& destination);

    // Drops every message that has not left yet and ends at once every note that
    // the delivered ones left sounding; what is sent afterwards leaves as usual.
    // Real-time safe, as sendToConnected.
    void silence() noexcept;

    // How far ahead of its time a message must be sent to reach it: the length of the cycles the
    // MIDI system writes in, as they are now, or 0 for one that delivers at any time (or none).
    // Real-time safe, as sendToConnected.
    std::int64_t periodNanoseconds() const noexcept;

private:
    // Closes the port on the MIDI system and opens it no more (the module is being left).
    void closeForGood();
    // On the layer's thread: opens the port again when the MIDI system dropped it.
    void keepOpen();
    void openLocked();
    bool connectLocked(const std::string& address);
    // Takes the connection from the real-time senders, once none is inside a call.
    std::unique_ptr<OutputConnection> detachLocked();

    std::string clientName_;
    std::string name_;
    std::shared_ptr<Backend> backend_;
    std::shared_ptr<Dispatcher> dispatcher_;
    std::mutex mutex_;                              // the threads that open and connect
    std::unique_ptr<OutputConnection> connection_;  // guarded by mutex_
    std::string destination_;                       // guarded by mutex_: the one last connected to
    // What the real-time senders use: the connection while it is open, and whether it is
    // connected; `senders_` counts those inside a call, whom a closing waits for.
    std::atomic<OutputConnection*> open_{nullptr};
    std::atomic<bool> connected_{false};
    mutable std::atomic<int> senders_{0};
    bool closedForGood_ = false;  // guarded by mutex_
};

// Receives from every source connected to it. The callback runs on the MIDI
// layer's thread with the bytes of one message and the time it was played.
// Like an output, it comes back by itself after the MIDI system dropped it.
class InputPort {
public:
    using ReadCallback = std::function<void(std::span<const std::uint8_t> bytes, Timestamp receivedAt)>;
    using HeldNotesCallback = std::function<void(const NoteSet& held)>;

    // `onHeldNotesAfterLoss` runs on the same thread, in order with the messages, when messages came
    // faster than the port was read and some were dropped: with the notes held at the port after
    // everything that reached it, which the messages read no longer tell.
    InputPort(const Client& client, std::string name, ReadCallback onRead, HeldNotesCallback onHeldNotesAfterLoss = {});
    // Once it returns, the callback is not running and never runs again.
    ~InputPort();
    InputPort(const InputPort&) = delete;
    InputPort& operator=(const InputPort&) = delete;

    const std::string& name() const { return name_; }

    // False when the source cannot be reached now; one that is there but refuses for
    // now is connected, on the layer's thread, once it accepts. Connecting twice is harmless.
    bool connectSource(const Endpoint& source);
    void disconnectSource(const Endpoint& source);
    // Every source connected or waiting to be.
    void disconnectEverySource();

private:
    void closeForGood();
    // On the layer's thread: opens the port again when the MIDI system dropped it,
    // and connects again the sources it was connected to.
    void keepOpen();
    void openLocked();

    std::string clientName_;
    std::string name_;
    std::shared_ptr<Backend> backend_;
    std::shared_ptr<Dispatcher> dispatcher_;
    std::shared_ptr<CallbackSlot<std::span<const std::uint8_t>, Timestamp>> readSlot_;
    std::shared_ptr<CallbackSlot<const NoteSet&>> heldNotesSlot_;
    std::mutex mutex_;
    std::unique_ptr<InputConnection> connection_;  // guarded by mutex_
    bool closedForGood_ = false;                   // guarded by mutex_
    std::set<std::string> sources_;                // guarded by mutex_: those asked for
    std::set<std::string> waiting_;                // guarded by mutex_: those asked for that refused so far
};

// Closes every port still open on the MIDI system, for good: the module is being left, and what
// holds them was never let go. Ports made afterwards open as usual.
void closeEveryPort();

}  // namespace pulvan::midi
