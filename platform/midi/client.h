#pragma once
#include "platform/midi/callback_slot.h"
#include "platform/midi/midi_types.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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
// messages with the same timestamp leave in the order they were sent.
class OutputPort {
public:
    OutputPort(const Client& client, std::string name);
    // Ends every note its messages left sounding before the port goes.
    ~OutputPort();
    OutputPort(const OutputPort&) = delete;
    OutputPort& operator=(const OutputPort&) = delete;

    const std::string& name() const { return name_; }

    // Queues one message of 1 to 3 bytes for `destination`. False when it is
    // dropped: a wrong length, no MIDI system, or a destination that is gone.
    bool send(const Endpoint& destination, std::span<const std::uint8_t> bytes, Timestamp deliverAt = kSendNow);

    // Connects to `destination` ahead of the first message, which then finds it in
    // place; sending connects as well. False when it is gone.
    bool connect(const Endpoint& destination);

    // Drops every message that has not left yet and ends at once every note that
    // the delivered ones left sounding; what is sent afterwards leaves as usual.
    void silence();

private:
    // Closes the port on the MIDI system and opens it no more (the module is being left).
    void closeForGood();
    // The port on the MIDI system, opened again when the system went away and came back.
    OutputConnection* connectionLocked();

    std::string clientName_;
    std::string name_;
    std::shared_ptr<Backend> backend_;
    std::mutex mutex_;
    std::unique_ptr<OutputConnection> connection_;  // guarded by mutex_
    bool closedForGood_ = false;                    // guarded by mutex_
    std::chrono::steady_clock::time_point nextOpen_{};
};

// Receives from every source connected to it. The callback runs on the MIDI
// layer's thread with the bytes of one message and the time it was played.
class InputPort {
public:
    using ReadCallback = std::function<void(std::span<const std::uint8_t> bytes, Timestamp receivedAt)>;

    InputPort(const Client& client, std::string name, ReadCallback onRead);
    // Once it returns, the callback is not running and never runs again.
    ~InputPort();
    InputPort(const InputPort&) = delete;
    InputPort& operator=(const InputPort&) = delete;

    const std::string& name() const { return name_; }

    // False when the source cannot be reached; connecting twice is harmless.
    bool connectSource(const Endpoint& source);
    void disconnectSource(const Endpoint& source);

private:
    void closeForGood();
    InputConnection* connectionLocked();

    std::string clientName_;
    std::string name_;
    std::shared_ptr<Backend> backend_;
    std::shared_ptr<Dispatcher> dispatcher_;
    std::shared_ptr<CallbackSlot<std::span<const std::uint8_t>, Timestamp>> readSlot_;
    std::mutex mutex_;
    std::unique_ptr<InputConnection> connection_;  // guarded by mutex_
    bool closedForGood_ = false;                   // guarded by mutex_
    std::chrono::steady_clock::time_point nextOpen_{};
};

// Closes every port still open on the MIDI system, for good: the module is being left, and what
// holds them was never let go. Ports made afterwards open as usual.
void closeEveryPort();

}  // namespace pulvan::midi
