#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "platform/midi/callback_slot.h"
#include "platform/midi/midi_types.h"

namespace pulvan::midi {

class Backend;
class Dispatcher;
class InputConnection;

// A program's presence in the MIDI system: it names the ports made on it and
// tells of changes of the MIDI setup. Creating one never fails; without a MIDI
// system its ports simply reach nothing.
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

// Sends to any destination, now or at a timestamp. Messages leave in timestamp
// order; messages with the same timestamp leave in the order they were sent.
class OutputPort {
public:
    OutputPort(const Client& client, std::string name);
    // Sends whatever is still waiting at once, in order, so that no note is left hanging.
    ~OutputPort();
    OutputPort(const OutputPort&) = delete;
    OutputPort& operator=(const OutputPort&) = delete;

    const std::string& name() const { return name_; }

    // Queues the bytes (one or more complete messages) for `destination`.
    // Returns false for an empty message; a destination that is gone by then
    // drops the message.
    bool send(const Endpoint& destination, std::span<const std::uint8_t> bytes, Timestamp deliverAt = kSendNow);

private:
    struct Connection;

    std::string name_;
    std::shared_ptr<Dispatcher> dispatcher_;
    std::shared_ptr<Connection> connection_;
    std::mutex sendMutex_;
    std::string lastDestination_;  // guarded by sendMutex_
};

// Receives from the sources connected to it. The callback runs on the MIDI
// layer's thread with the bytes of one message and the time they arrived.
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
    std::string clientName_;
    std::string name_;
    std::shared_ptr<Backend> backend_;
    std::shared_ptr<Dispatcher> dispatcher_;
    std::shared_ptr<CallbackSlot<std::span<const std::uint8_t>, Timestamp>> readSlot_;
    std::mutex connectionsMutex_;
    std::map<std::string, std::unique_ptr<InputConnection>> connections_;
};

}  // namespace pulvan::midi
