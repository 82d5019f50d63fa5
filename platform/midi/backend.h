#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/midi/midi_types.h"

namespace pulvan::midi {

// Called on a thread of the MIDI system for every message a source delivers.
using ReceiveFunction = std::function<void(std::span<const std::uint8_t> bytes, Timestamp receivedAt)>;

// A port of ours that sends to one destination at a time.
class OutputConnection {
public:
    virtual ~OutputConnection() = default;
    // Connects to the destination unless already connected to it; false when it is gone.
    virtual bool connect(const std::string& destinationAddress) = 0;
    // Sends at once to the connected destination.
    virtual bool send(std::span<const std::uint8_t> bytes) = 0;
};

// A port of ours that receives from one source for as long as it exists.
class InputConnection {
public:
    virtual ~InputConnection() = default;
};

// A source of ours that other programs can connect to.
class VirtualEndpoint {
public:
    virtual ~VirtualEndpoint() = default;
    virtual bool send(std::span<const std::uint8_t> bytes) = 0;
};

// The MIDI system endpoints live in. Every call may come from any thread.
class Backend {
public:
    virtual ~Backend() = default;
    virtual std::vector<Endpoint> sources() = 0;
    virtual std::vector<Endpoint> destinations() = 0;
    // Each returns null when the MIDI system refuses.
    virtual std::unique_ptr<OutputConnection> openOutput(const std::string& clientName, const std::string& portName) = 0;
    virtual std::unique_ptr<InputConnection> openInput(const std::string& clientName, const std::string& portName,
                                                       const std::string& sourceAddress, ReceiveFunction receive) = 0;
    virtual std::unique_ptr<VirtualEndpoint> openVirtualSource(const std::string& name) = 0;
};

// The backend new clients, ports and virtual sources use: the one installed by
// a ScopedBackend, else the machine's (ALSA sequencer, else JACK, else none).
std::shared_ptr<Backend> activeBackend();

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
