#pragma once
#include "platform/midi/backend.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace pulvan::midi {

// An in-process MIDI system for tests. Besides the endpoints our own code
// opens, a test adds the sources and destinations of "other programs" here and
// plays their part. Timed messages are handed over on the MIDI layer's thread at their time.
class LoopbackBackend final : public Backend, public std::enable_shared_from_this<LoopbackBackend> {
public:
    using DestinationHandler = std::function<void(std::span<const std::uint8_t> bytes, Timestamp receivedAt)>;
    // What an input it opened is handed.
    struct Subscriber {
        ReceiveFunction receive;
        HeldNotesFunction heldNotesAfterLoss;
    };

    // Each returns the new endpoint's address; a taken address gets a "-01"... suffix on its client.
    // A source `inThisProcess` stands for a port of the plug-in's host.
    std::string addSource(const std::string& clientName, const std::string& portName, bool inThisProcess = false);
    std::string addDestination(const std::string& clientName, const std::string& portName, DestinationHandler handler);
    void removeEndpoint(const std::string& address);
    // Emits a message from a source: every input connected to it receives it.
    bool sendFromSource(const std::string& address, std::span<const std::uint8_t> bytes);
    // Stands for messages from a source lost on their way in: every input connected to it hands on `held`.
    bool loseFromSource(const std::string& address, const NoteSet& held);
    // Hands a message to a destination's handler, as a connected output does.
    bool sendToDestination(const std::string& address, std::span<const std::uint8_t> bytes);
    // Connects and disconnects an input it opened; subscribing answers 0 when the source is gone.
    std::uint64_t subscribe(const std::string& address, std::shared_ptr<const Subscriber> subscriber);
    void unsubscribe(const std::string& address, std::uint64_t subscription);

    std::vector<Endpoint> sources() override;
    std::vector<Endpoint> destinations() override;
    std::unique_ptr<OutputConnection> openOutput(const std::string& clientName, const std::string& portName) override;
    std::unique_ptr<InputConnection> openInput(const std::string& clientName, const std::string& portName, ReceiveFunction receive,
                                               HeldNotesFunction heldNotesAfterLoss) override;
    std::unique_ptr<OutputConnection> openVirtualSource(const std::string& name) override;
    // A test's endpoints count from the moment they are added or removed.
    std::uint64_t setupGeneration() const noexcept override { return generation_.load(); }

private:
    struct Source {
        std::map<std::uint64_t, std::shared_ptr<const Subscriber>> subscribers;
    };
    struct Destination {
        std::shared_ptr<DestinationHandler> handler;
    };

    std::string freeAddress(const std::string& clientName, const std::string& portName) const;
    std::vector<Endpoint> list(const std::vector<std::string>& addresses) const;
    // None when the source is gone.
    std::optional<std::vector<std::shared_ptr<const Subscriber>>> subscribersOf(const std::string& address) const;

    mutable std::mutex mutex_;
    std::vector<std::string> sourceOrder_;
    std::vector<std::string> destinationOrder_;
    std::map<std::string, Source> sourcesByAddress_;
    std::map<std::string, Destination> destinationsByAddress_;
    std::set<std::string> inThisProcess_;
    std::uint64_t nextSubscription_ = 1;
    std::atomic<std::uint64_t> generation_{0};
};

}  // namespace pulvan::midi
